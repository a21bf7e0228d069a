// SPDX-License-Identifier: GPL-3.0-or-later
// How paths are spelled: the separator, and what a leading run of
// separators stands for.
//
// The running program uses the POSIX style: "/" separates, and any leading
// run of "/" is the root, written as one "/".  The Windows style (backslash;
// a leading run becomes exactly two, the start of a network name) is kept so
// the path helpers can be checked against their classic behaviour.  A
// backslash is an ordinary character of a POSIX name.
#ifndef QUENMOOR_FSUTIL_PATH_STYLE_H_
#define QUENMOOR_FSUTIL_PATH_STYLE_H_

namespace qm {

struct PathStyle {
  char separator;
  int leading_run;  // how many separators a leading run of them becomes
};

constexpr PathStyle kWindowsStyle{'\\', 2};
constexpr PathStyle kPosixStyle{'/', 1};

}  // namespace qm

#endif  // QUENMOOR_FSUTIL_PATH_STYLE_H_

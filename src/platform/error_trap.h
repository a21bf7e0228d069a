// SPDX-License-Identifier: GPL-3.0-or-later
// The error trap of a guarded routine.
//
// Command handlers and the directory walker number their statements.  When a
// statement fails, the routine shows one error report naming the failure,
// the routine and the last numbered line reached, then carries on with the
// next statement; a failing test counts as passed.  A Trap holds that state
// for one invocation, so a handler reads as its numbered step list:
//
//   Trap trap("in ....Form1.PushButton8_Click ");
//   trap.Do(100, [&] { AddFolderRow(path); });
//   if (trap.Test(102, [&] { return count > 0; })) { ... }
#ifndef QUENMOOR_PLATFORM_ERROR_TRAP_H_
#define QUENMOOR_PLATFORM_ERROR_TRAP_H_

#include <functional>
#include <new>
#include <string>
#include <utility>

#include "platform/failure.h"

namespace qm {

// Shows (or, in tests, records) one error report.  The application installs
// one that composes the report and shows the message box.
using ErrorReporter = std::function<void(const std::string& routine_id, const Failure& failure,
                                         int line, const std::string& extra)>;

// Installs the reporter; returns the previous one.
ErrorReporter SetErrorReporter(ErrorReporter reporter);

// Hands one failure to the installed reporter (does nothing without one).
void ReportFailure(const std::string& routine_id, const Failure& failure, int line,
                   const std::string& extra);

class Trap {
 public:
  explicit Trap(std::string routine_id) : routine_id_(std::move(routine_id)) {}

  // Extra text appended to the report (the move command's "File: " line);
  // evaluated when a failure is reported.
  void SetExtra(std::function<std::string()> extra) { extra_ = std::move(extra); }

  // Marks line `n` as reached without running anything.
  void Line(int n) { line_ = n; }
  int line() const { return line_; }
  int reports() const { return reports_; }
  const std::string& routine_id() const { return routine_id_; }

  // Runs the statement numbered `n`; a failure is reported and swallowed.
  template <class F>
  void Do(int n, F&& statement) {
    line_ = n;
    try {
      statement();
    } catch (...) {
      Report();
    }
  }

  // Evaluates the test numbered `n`; a failure is reported and the test
  // counts as passed.
  template <class F>
  bool Test(int n, F&& test) {
    line_ = n;
    try {
      return static_cast<bool>(test());
    } catch (...) {
      Report();
      return true;
    }
  }

  // Reports the exception being handled.  Call only inside a catch block.
  void Report();

 private:
  std::string routine_id_;
  std::function<std::string()> extra_;
  int line_ = 0;
  int reports_ = 0;
};

// The failure that the exception being handled stands for.  Call only inside
// a catch block.
Failure CurrentFailure();

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_ERROR_TRAP_H_

// SPDX-License-Identifier: GPL-3.0-or-later
// What a command-line run printed on its two streams, and its exit status,
// captured in memory: the run writes to the FILE*s it is given.
#ifndef QUENMOOR_TESTING_TEST_PRINTED_H_
#define QUENMOOR_TESTING_TEST_PRINTED_H_

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace qm {
namespace testing {

struct Printed {
  int status = -1;
  std::string out;
  std::string err;
  // The messages, one a line.
  std::vector<std::string> Messages() const {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < err.size()) {
      const std::size_t end = err.find('\n', start);
      lines.push_back(err.substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return lines;
  }
};

// Runs `run` with an output and an error stream and keeps what it wrote.
inline Printed Capture(const std::function<int(std::FILE* out, std::FILE* err)>& run) {
  char* out_text = nullptr;
  char* err_text = nullptr;
  std::size_t out_size = 0, err_size = 0;
  std::FILE* out = ::open_memstream(&out_text, &out_size);
  std::FILE* err = ::open_memstream(&err_text, &err_size);
  Printed printed;
  printed.status = run(out, err);
  std::fclose(out);
  std::fclose(err);
  printed.out.assign(out_text, out_size);
  printed.err.assign(err_text, err_size);
  std::free(out_text);
  std::free(err_text);
  return printed;
}

}  // namespace testing
}  // namespace qm

#endif  // QUENMOOR_TESTING_TEST_PRINTED_H_

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/error_trap.h"

#include <exception>

namespace qm {
namespace {
ErrorReporter& Reporter() {
  static ErrorReporter reporter;
  return reporter;
}
}  // namespace

ErrorReporter SetErrorReporter(ErrorReporter reporter) {
  ErrorReporter old = std::move(Reporter());
  Reporter() = std::move(reporter);
  return old;
}

void ReportFailure(const std::string& routine_id, const Failure& failure, int line,
                   const std::string& extra) {
  if (Reporter()) Reporter()(routine_id, failure, line, extra);
}

Failure CurrentFailure() {
  try {
    throw;
  } catch (const Failure& f) {
    return f;
  } catch (const std::bad_alloc&) {
    return Failure(kErrOutOfMemory);
  } catch (const std::exception& e) {
    return Failure(kErrInternal, ErrorDescription(kErrInternal) + ": " + e.what());
  } catch (...) {
    return Failure(kErrInternal);
  }
}

void Trap::Report() {
  Failure failure = CurrentFailure();
  ++reports_;
  std::string extra;
  if (extra_) {
    try {
      extra = extra_();
    } catch (...) {
    }
  }
  ReportFailure(routine_id_, failure, line_, extra);
}

}  // namespace qm

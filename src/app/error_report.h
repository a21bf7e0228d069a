// SPDX-License-Identifier: GPL-3.0-or-later
// The error report: the one message a guarded routine shows when one of its
// numbered statements fails.
#ifndef QUENMOOR_APP_ERROR_REPORT_H_
#define QUENMOOR_APP_ERROR_REPORT_H_

#include <QString>
#include <string>

#include "platform/failure.h"

class QWidget;

namespace qm {

// Routine identifiers, exactly as the report shows them.
extern const char kFormLoadId[];
extern const char kPushButton1Id[];
extern const char kPushButton2Id[];
extern const char kPushButton3Id[];
extern const char kPushButton4Id[];
extern const char kPushButton5Id[];
extern const char kPushButton6Id[];
extern const char kPushButton7Id[];
extern const char kPushButton8Id[];

extern const char kSupportAddress[];
extern const char kErrorReportCaption[];  // "Application Error", before translation

// The report's text: the failure's description, CR LF, the routine
// identifier, "at line " and the number, CR CR, the request for a
// screenshot, and, when `extra` is given (the move command), CR CR and it.
QString ComposeErrorReport(const std::string& description, const std::string& routine_id, int line,
                           const std::string& extra = std::string());

// The same report on one line, for the command line: the description (its
// line breaks made blanks), one blank, the routine identifier, "at line "
// and the number.  No request for a screenshot.
QString ErrorReportLine(const std::string& description, const std::string& routine_id, int line);

// Shows the report as a modal warning box with one OK button.
void ShowErrorReport(QWidget* owner, const std::string& routine_id, const Failure& failure,
                     int line, const std::string& extra = std::string());

// Makes every trap of the program report through ShowErrorReport, owned by
// `owner`.
void InstallErrorReport(QWidget* owner);

}  // namespace qm

#endif  // QUENMOOR_APP_ERROR_REPORT_H_

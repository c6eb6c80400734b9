// SPDX-License-Identifier: MIT
#pragma once
// The texts of the extraction run: the command handed to the archive library
// and the messages shown when the run cannot finish its work.
#include <QString>

#include <optional>

namespace ExtractionRun {

// "e ARCHIVE DEST/": both paths as they are, the separator always appended,
// so the root "/" gives "//".
QString command(const QString &archive, const QString &destination);

// Room for the library's report, which names the member that failed.
inline constexpr unsigned kReportSize = 64 * 1024;

// Title of every message box of the run.
QString errorTitle();

// The user stopped the run; that is no error to report.
bool isCancel(int code);

// The first member the library's report marks as failed, and why, as the
// report gives it.
struct FailedMember {
    QString name;
    QString cause;
};
std::optional<FailedMember> firstFailedMember(const QString &report);

// What went wrong by the library's result code, the member that failed when
// the report names one, and what the user should do, one line each (lines
// end in a carriage return).
QString failureMessage(int code, const QString &report = QString());

// The archive library or one of its entries could not be found.
QString libraryMissingMessage();

// Anything else that stopped the run before the library was called.
QString runFailedMessage();

} // namespace ExtractionRun

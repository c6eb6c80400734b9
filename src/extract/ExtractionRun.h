// SPDX-License-Identifier: MIT
#pragma once
// The texts of the extraction run: the command handed to the archive library
// and the messages shown when the run cannot reach the library.
#include <QString>

namespace ExtractionRun {

// "e ARCHIVE DEST/": both paths as they are, the separator always appended,
// so the root "/" gives "//".
QString command(const QString &archive, const QString &destination);

// Title of every message box of the run.
QString errorTitle();

// The archive library or one of its entries could not be found.
QString libraryMissingMessage();

// Anything else that stopped the run.
QString runFailedMessage();

} // namespace ExtractionRun

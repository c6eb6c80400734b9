// SPDX-License-Identifier: MIT
#pragma once
// What went wrong in an extraction, in the words the report window uses: a
// summary and, for every member that failed, why.
#include "lha/lha.h"

#include <QList>
#include <QString>

namespace unlha {

// The cause of a result code, one sentence.
QString causeText(int code);

struct FailedMember {
    QString name;
    QString cause;
    QString detail; // the engine's own words, for the curious
};

struct FailureList {
    QString summary; // what happened, then what to do, one line each
    QList<FailedMember> members;
};

// The failures of an extraction that ended with `code`. Skips the user chose
// in the overwrite question are no failures; an archive that could not be
// read to its end is listed under archiveName.
FailureList failureList(const lha::Result &result, int code, const QString &archiveName);

} // namespace unlha

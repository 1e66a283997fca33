#pragma once
// The action history (INF_LOG) and the executor stamp put on card notes.
#include <QString>

namespace zv {
// Appends one history row through the data module's query tq; the row joins
// the shared transaction. Server errors reach the caller.
void LogAction(int subjectId, const QString &type, const QString &message);

// The four stamp lines for message, kind "Системно" or "Потребителско".
QString ExecutorStamp(const QString &message, const QString &kind);
// The stamp in front of the notes; notes unchanged for an empty message.
QString AddNoteStamp(const QString &notes, const QString &message, const QString &kind);
}  // namespace zv

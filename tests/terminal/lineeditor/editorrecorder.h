// Test harness: a line editor whose callbacks record what it writes to the
// display, sends to the host and delivers as finished lines.
#pragma once

#include "lineeditor.h"

#include <QByteArray>
#include <QList>

#include <algorithm>

struct EditorRecorder {
    explicit EditorRecorder(uint32_t capacity = 4096)
        : editor(zn::lineEditorCreate(this, &kCallbacks, capacity))
    {
    }
    ~EditorRecorder() { zn::lineEditorDestroy(editor); }
    EditorRecorder(const EditorRecorder &) = delete;
    EditorRecorder &operator=(const EditorRecorder &) = delete;

    void keys(const QByteArray &bytes) { zn::lineEditorKeys(editor, bytes.constData(), size_t(bytes.size())); }
    void hostOutput(const QByteArray &bytes)
    {
        zn::lineEditorHostOutput(editor, bytes.constData(), size_t(bytes.size()));
    }
    void trigger() { zn::lineEditorTrigger(editor); }
    QByteArray line() const { return QByteArray(editor->line, editor->length); }
    QByteArray history() const
    {
        size_t size = 0;
        const char *bytes = zn::lineEditorHistory(editor, &size);
        return QByteArray(bytes, qsizetype(size));
    }
    // Everything shown since the last call.
    QByteArray takeShown()
    {
        QByteArray out = shown;
        shown.clear();
        return out;
    }

    zn::LineEditor *editor;
    QByteArray shown;
    QByteArray sent;
    QList<QByteArray> lines;
    size_t longestShowCall = 0;

private:
    static EditorRecorder *self(void *owner) { return static_cast<EditorRecorder *>(owner); }
    static const zn::LineEditorCallbacks kCallbacks;
};

inline const zn::LineEditorCallbacks EditorRecorder::kCallbacks = {
    [](void *owner, const char *bytes, size_t length) {
        self(owner)->shown.append(bytes, qsizetype(length));
        self(owner)->longestShowCall = std::max(self(owner)->longestShowCall, length);
    },
    [](void *owner, const char *bytes, size_t length) { self(owner)->sent.append(bytes, qsizetype(length)); },
    [](void *owner, const char *bytes, size_t length) {
        self(owner)->lines.append(QByteArray(bytes, qsizetype(length)));
    },
};

// A read-only fixed-pitch text view sized for an 80-column, 24-line text:
// where the hexadecimal dumps are shown.
#pragma once

#include <QPlainTextEdit>

class DumpView : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit DumpView(QWidget *parent = nullptr, const QString &text = QString());

    QSize sizeHint() const override;
};

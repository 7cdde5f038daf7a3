// The terminal as a widget: the frame with a scroll bar, its options as
// properties and in a context menu, a log of everything shown, paced replay of
// such a log, separator lines, a help page of ANSI codes and the optional line
// editor with its history kept in the settings.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QFont>
#include <QWidget>

class QAction;
class QMenu;
class QScrollBar;
class QTimer;
class TerminalFrame;

class TerminalWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QSize terminalSize READ terminalSize WRITE setTerminalSize)
    Q_PROPERTY(QFont terminalFont READ terminalFont WRITE setTerminalFont)
    Q_PROPERTY(bool utf8Mode READ utf8Mode WRITE setUtf8Mode)
    Q_PROPERTY(bool eightBitMode READ eightBitMode WRITE setEightBitMode)
    Q_PROPERTY(bool flashDirtyCells READ flashDirtyCells WRITE setFlashDirtyCells)
    Q_PROPERTY(bool jumpScroll READ jumpScroll WRITE setJumpScroll)
    Q_PROPERTY(bool autoFeed READ autoFeed WRITE setAutoFeed)
    Q_PROPERTY(bool jumpToBottomOnOutput READ jumpToBottomOnOutput WRITE setJumpToBottomOnOutput)
    Q_PROPERTY(bool jumpToBottomOnKeyPress READ jumpToBottomOnKeyPress WRITE setJumpToBottomOnKeyPress)

public:
    static constexpr int kReplayMaxBytes = 4 * 1024 * 1024;
    static constexpr int kHistorySaveDelayMs = 1000;

    explicit TerminalWidget(QWidget *parent = nullptr);
    ~TerminalWidget() override;

    TerminalFrame *frame() const { return m_frame; }

    QSize terminalSize() const;
    void setTerminalSize(const QSize &size);
    QFont terminalFont() const;
    bool utf8Mode() const;
    bool eightBitMode() const;
    bool flashDirtyCells() const;
    bool jumpScroll() const;
    bool autoFeed() const;
    bool jumpToBottomOnOutput() const;
    bool jumpToBottomOnKeyPress() const;
    bool isLogging() const { return m_log.isOpen(); }

Q_SIGNALS:
    void output(const QString &str);
    void output(const char *str, int len);
    void line(const QString &str);
    void line(const char *str, int len);
    void ledsChanged(int n);
    void sizeChanged(int w, int h);

public Q_SLOTS:
    void input(const QString &str);
    void input(const char *str, int len);
    void input(const char *txt);
    void input(int ch);
    void paste();
    void copy();
    void reset(int w = -1, int h = -1);
    void printline();
    void printline(const QString &title);
    void setBlinkingCursor(bool on);
    void enableCursor(bool on);
    void toggleUtf8Mode();
    void setUtf8Mode(bool en);
    void toggleEightBitMode();
    void setEightBitMode(bool en);
    void toggleFlashDirtyCells();
    void setFlashDirtyCells(bool en);
    void toggleJumpScroll();
    void setJumpScroll(bool en);
    void toggleAutoFeed();
    void setAutoFeed(bool en);
    void toggleJumpToBottomOnOutput();
    void setJumpToBottomOnOutput(bool en);
    void toggleJumpToBottomOnKeyPress();
    void setJumpToBottomOnKeyPress(bool en);
    void scrollbackPageUp();
    void scrollbackPageDown();
    void setTerminalFont(const QFont &font);
    void changeTerminalFontSize(int delta);
    void enableReadline(bool on);
    // While readline is on: finished lines leave through line() instead of
    // output() followed by CR LF.
    void setLineMode(bool on);
    void readlineTrigger();
    bool logOpen(const QString &filename);
    void logOpen();
    void logClose();
    void logReplay();
    // Replays the file (see logReplay()); false when it cannot be read.
    bool logReplay(const QString &filename);
    void ansiHelp();
    void showScrollBar(bool on);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private Q_SLOTS:
    void onFontPlus();
    void onFontMinus();
    void onSaveReadline();
    void replayTimer();

private:
    // The options of the check-mark entries, in menu order.
    enum Option { EightBit, Utf8, Flash, JumpScroll, AutoFeed, JumpOnOutput, JumpOnKey, OptionCount };

    void createMenu();
    bool option(Option which) const;
    void setOption(Option which, bool on);
    void refreshChecks();
    void log(const char *bytes, qsizetype length);
    void showReplayed(const char *bytes, qsizetype length);
    void stopReplay();
    void setLogActions(bool logging);
    QString fileDialogStart() const;
    QByteArray encodeLocal(const QString &text) const;
    QString decodeLocal(const QByteArray &bytes) const;

    TerminalFrame *m_frame;
    QScrollBar *m_scrollBar;
    QMenu *m_menu = nullptr;
    QAction *m_logOpenAction = nullptr;
    QAction *m_logStopAction = nullptr;
    QAction *m_replayAction = nullptr;
    QAction *m_optionActions[OptionCount] = {};
    QFile m_log;
    QTimer *m_replayTimer = nullptr;
    QByteArray m_replayData;
    int m_replayPosition = 0;
    int m_replayChunk = 0;
    QTimer *m_historySaveTimer = nullptr;
};

#include "terminationwatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

// The handler may only write to a descriptor; the event loop does the rest.
int TerminationWatcher::s_pipe[2] = {-1, -1};

TerminationWatcher::TerminationWatcher(QObject *parent) : QObject(parent) {}

TerminationWatcher::~TerminationWatcher()
{
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
}

bool TerminationWatcher::install()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_pipe) != 0)
        return false;
    m_notifier = new QSocketNotifier(s_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationWatcher::onSignal);
    struct sigaction action = {};
    action.sa_handler = handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

void TerminationWatcher::handleSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[0], &byte, 1);
}

void TerminationWatcher::onSignal()
{
    m_notifier->setEnabled(false);
    char byte = 0;
    [[maybe_unused]] const ssize_t got = ::read(s_pipe[1], &byte, 1);
    QCoreApplication::quit();
}

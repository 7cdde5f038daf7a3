// Runs a program to its end and keeps what it printed, for the tests of the
// command lines.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

struct ProgramRun {
    int exitCode = -1; // also when it crashed or did not end in time
    QString out;
    QString err;
};

inline ProgramRun runProgram(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    ProgramRun run;
    if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

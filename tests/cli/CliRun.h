#pragma once
// Runs quillon-cli as a user does and checks its one-line errors.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace quillon::testing {

struct CliRun {
    int status = -1;  // -1 when the program crashed
    QByteArray out, err;
};

// quillon-cli with --profile first, optionally in another working folder.
inline CliRun RunCli(const QString& profile, const QStringList& args,
                     const QString& workingFolder = QString(), int timeoutMs = 120000) {
    QProcess p;
    if (!workingFolder.isEmpty()) p.setWorkingDirectory(workingFolder);
    p.start(QStringLiteral(QUILLON_CLI), QStringList{"--profile", profile} + args);
    EXPECT_TRUE(p.waitForFinished(timeoutMs)) << args.join(' ').toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

// Status 1, nothing on standard output and one line on standard error naming the program.
inline void ExpectOneLineError(const CliRun& r, const QStringList& args = {}) {
    const std::string what = args.join(' ').toStdString() + ": " + r.err.toStdString();
    EXPECT_EQ(r.status, 1) << what;
    EXPECT_TRUE(r.err.startsWith("quillon-cli: ")) << what;
    EXPECT_EQ(r.err.count('\n'), 1) << what;
    EXPECT_TRUE(r.out.isEmpty()) << what;
}

}  // namespace quillon::testing

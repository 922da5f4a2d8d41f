#pragma once
// Where tests keep the pictures and files they write for a person to look at: $QEL_TEST_OUTPUT,
// or a fresh private folder in the temporary directory, made once per test program and kept.
#include <QDir>
#include <QString>
#include <QTemporaryDir>

inline QString TestOutputDir()
{
    static const QString dir = [] {
        QString d = qEnvironmentVariable("QEL_TEST_OUTPUT");
        if (!d.isEmpty()) {
            QDir().mkpath(d);
            return d;
        }
        QTemporaryDir fresh(QDir::temp().filePath(QStringLiteral("qel-test-output.XXXXXX")));
        fresh.setAutoRemove(false);
        return fresh.path();
    }();
    return dir;
}

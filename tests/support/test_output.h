#pragma once
// Where tests keep the pictures and files they write for a person to look at: $QEL_TEST_OUTPUT,
// or a folder in the temporary directory.
#include <QDir>
#include <QString>

inline QString TestOutputDir()
{
    QString dir = qEnvironmentVariable("QEL_TEST_OUTPUT");
    if (dir.isEmpty())
        dir = QDir::temp().filePath("qel-test-output");
    QDir().mkpath(dir);
    return dir;
}

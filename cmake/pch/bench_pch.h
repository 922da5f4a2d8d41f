// What the benchmark units share: the standard headers, Google Benchmark, SQLite and the Qt
// classes of their anchors.
#include "std_pch.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

// SPDX-License-Identifier: MIT
#pragma once

// The tests of the library reach it as the editor does: loaded by its path, entry points
// bound by name. Also the two file helpers those tests share.

#include "swatchy/swatchy.h"

#include <QByteArray>
#include <QFile>
#include <QLibrary>
#include <QtTest>

#include <string>

struct Swatchy
{
    ShowColorDialogFn show = nullptr;
    SaveCustomColorsFn save = nullptr;
    LoadCustomColorsFn load = nullptr;

    bool open()
    {
        QLibrary library(QStringLiteral(SWATCHY_LIBRARY));
        show = reinterpret_cast<ShowColorDialogFn>(library.resolve("ShowColorDialog"));
        save = reinterpret_cast<SaveCustomColorsFn>(library.resolve("SaveCustomColors"));
        load = reinterpret_cast<LoadCustomColorsFn>(library.resolve("LoadCustomColors"));
        return show && save && load;
    }
    void loadFrom(const QString &path) const { load(QFile::encodeName(path).constData()); }
    void saveTo(const QString &path) const { save(QFile::encodeName(path).constData()); }
};

// A path as the 8-bit string that the profile functions and the library take.
inline std::string bytes(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

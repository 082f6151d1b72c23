// SPDX-License-Identifier: MIT
#pragma once

// The tests that run a program of the build as the user nobody must not depend on where the
// checkout lies: below /root (0700) nobody can reach nothing. As root they run copies made
// once, in a folder of their own that everyone can read; otherwise the build's own files.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

// Copies each file given as "source=relative name" below one shared folder and returns that
// folder; empty when not root (the originals serve) or when a copy fails.
inline QString reachableCopies(const QStringList &files)
{
    if (::geteuid() != 0)
        return {};
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/hueloft-reachable-XXXXXX"));
    if (!folder.isValid() || ::chmod(QFile::encodeName(folder.path()), 0755) != 0)
        return {};
    for (const QString &file : files) {
        const QString source = file.section(QLatin1Char('='), 0, 0);
        const QString target = folder.filePath(file.section(QLatin1Char('='), 1));
        QDir().mkpath(QFileInfo(target).path());
        ::chmod(QFile::encodeName(QFileInfo(target).path()), 0755);
        if (!QFileInfo::exists(target) && !QFile::copy(source, target))
            return {};
    }
    return folder.path();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "rounds/RoundsFile.h"

#include <algorithm>

#include "pool/AtomicFile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quorvia {
namespace {

// Far more than a pool holds; keeps a damaged file from asking for memory.
constexpr qint64 kMaxRoundsBytes = 256LL * 1024 * 1024;

QString problemAt(const QString &path, int line, const QString &what)
{
    return QStringLiteral("The rounds file \"%1\" is damaged at line %2: %3. It was left as it is.")
        .arg(QDir::toNativeSeparators(path))
        .arg(line)
        .arg(what);
}

} // namespace

QString roundsPathFor(const QString &poolPath) { return poolPath + QStringLiteral(".rounds"); }

bool readRounds(const QString &poolPath, std::vector<Round> *rounds, QString *error)
{
    rounds->clear();
    const QString path = roundsPathFor(poolPath);
    QFile file(path);
    if (!file.exists())
        return true;
    if (QFileInfo(path).size() > kMaxRoundsBytes) {
        *error = QStringLiteral("The rounds file \"%1\" is far too large to be a rounds file. It was left as it is.")
                     .arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The rounds file \"%1\" could not be read: %2.")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    std::vector<Round> read;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = int(i) + 1;
        const QString line = QString::fromUtf8(lines[i]).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1String("round "))) {
            const QString rest = line.mid(6).trimmed();
            const QString date = rest.section(QLatin1Char(' '), 0, 0);
            if (!QDate::fromString(date, Qt::ISODate).isValid()) {
                *error = problemAt(path, number, QStringLiteral("\"%1\" is not a date").arg(date));
                return false;
            }
            read.push_back(Round{date, rest.section(QLatin1Char(' '), 1).trimmed(), {}});
            continue;
        }
        if (line == QLatin1String("group") || line.startsWith(QLatin1String("group "))) {
            if (read.empty()) {
                *error = problemAt(path, number, QStringLiteral("a group before the first round"));
                return false;
            }
            std::vector<int> group;
            for (const QString &token : line.mid(5).section(QLatin1Char('#'), 0, 0).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                bool ok = false;
                const int record = token.toInt(&ok);
                if (!ok || record < 1) {
                    *error = problemAt(path, number, QStringLiteral("\"%1\" is not a record number").arg(token));
                    return false;
                }
                group.push_back(record);
            }
            read.back().groups.push_back(std::move(group));
            continue;
        }
        *error = problemAt(path, number, QStringLiteral("a line that is neither a round nor a group"));
        return false;
    }
    *rounds = std::move(read);
    return true;
}

bool writeRounds(const QString &poolPath, const std::vector<Round> &rounds, QString *error,
                 const std::function<QString(int)> &nameOf)
{
    QByteArray bytes = "# Quorvia rounds: each round, then one line per group with the record numbers of its "
                       "people in the pool.\n";
    for (const Round &round : rounds) {
        // A name is one line; line breaks typed into it become blanks.
        QString name = round.name;
        name.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        bytes += "round " + round.date.toUtf8() + ' ' + name.trimmed().toUtf8() + '\n';
        for (const std::vector<int> &group : round.groups) {
            QByteArray line = "group";
            QStringList names;
            for (const int record : group) {
                line += ' ' + QByteArray::number(record);
                if (nameOf)
                    names << nameOf(record).simplified();
            }
            if (nameOf)
                line += "  # " + names.join(QStringLiteral("; ")).toUtf8();
            bytes += line + '\n';
        }
    }
    QString reason;
    if (replaceFileContents(roundsPathFor(poolPath), bytes, &reason))
        return true;
    *error = QStringLiteral("The rounds could not be saved to \"%1\": %2. The file keeps its former content.")
                 .arg(QDir::toNativeSeparators(roundsPathFor(poolPath)), reason);
    return false;
}

int removeRecordFromRounds(std::vector<Round> &rounds, int number)
{
    int named = 0;
    for (Round &round : rounds) {
        bool here = false;
        for (std::vector<int> &group : round.groups) {
            const auto gone = std::remove(group.begin(), group.end(), number);
            here = here || gone != group.end();
            group.erase(gone, group.end());
            for (int &record : group)
                record -= record > number ? 1 : 0;
        }
        named += here ? 1 : 0;
    }
    return named;
}

} // namespace quorvia

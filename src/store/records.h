// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDateTime>
#include <QString>
#include <map>

// The rows that are kept, as plain values.
namespace store {

struct ClassRow {
    QString id;
    QString name;
};

struct Child {
    QString id;
    QString classId;
    QString firstName;
    QString picture;               // a catalogue row's drawing name
    std::map<QString, int> levels; // game key -> open levels (1 to 3); missing means 1
    bool hearsFoundInstrument = false;
};

struct Round {
    QString id; // a UUID
    QString childId;
    QString mode; // "vue" or "oreille"
    QString game;
    int level = 1;
    qint64 startedMs = 0; // since 1970 UTC
    qint64 durationMs = 0;
    QString outcome; // "gagné", "perdu", "abandonné"; empty while played
    int points = 0;
};

struct Answer {
    QString roundId; // the round's UUID
    int seq = 1;     // its place in the round, from 1
    QString instrument;
    QString answer;
    bool correct = false;
    bool firstTry = false;
    qint64 elapsedMs = 0; // since the round started
};

// An answer's own UUID, the same wherever it is computed.
QString answerUuid(const QString &roundId, int seq);

QString newUuid();
qint64 nowMs();

} // namespace store

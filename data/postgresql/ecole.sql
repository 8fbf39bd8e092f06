-- SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
--
-- SPDX-License-Identifier: GPL-3.0-or-later

-- Calivento: the school's database and its two roles.
--
-- Run once by the server's administrator (a superuser), in the database made for Calivento:
--   createdb calivento
--   psql -d calivento -v ON_ERROR_STOP=1 -f ecole.sql
-- Running it again changes nothing.
--
--   calivento_poste  the game on every computer: reads the classes, the children and their levels;
--                    adds answers and rounds; updates levels and settings. It never reads anyone's
--                    answers or rounds.
--   calivento_suivi  "Suivi des enfants": everything, and it owns the tables, so that a newer
--                    game's "Suivi des enfants" can upgrade them.
--
-- The tables are the game's own (the same as in calivento.sqlite), in SQL that both engines take.

\set ON_ERROR_STOP on

BEGIN;

DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'calivento_suivi') THEN
        CREATE ROLE calivento_suivi LOGIN;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'calivento_poste') THEN
        CREATE ROLE calivento_poste LOGIN;
    END IF;
    EXECUTE format('GRANT CONNECT ON DATABASE %I TO calivento_suivi, calivento_poste', current_database());
END
$$;

GRANT USAGE, CREATE ON SCHEMA public TO calivento_suivi;
GRANT USAGE ON SCHEMA public TO calivento_poste;

-- The tables belong to calivento_suivi.
SET ROLE calivento_suivi;

CREATE TABLE IF NOT EXISTS meta (
    key TEXT PRIMARY KEY,
    value TEXT
);

CREATE TABLE IF NOT EXISTS classes (
    id TEXT PRIMARY KEY,
    name TEXT NOT NULL UNIQUE,
    created_ms BIGINT NOT NULL
);

CREATE TABLE IF NOT EXISTS children (
    id TEXT PRIMARY KEY,
    class_id TEXT NOT NULL REFERENCES classes(id),
    first_name TEXT NOT NULL,
    picture TEXT NOT NULL,
    hears_found INTEGER NOT NULL DEFAULT 0,
    created_ms BIGINT NOT NULL,
    UNIQUE (class_id, first_name)
);

CREATE TABLE IF NOT EXISTS levels (
    child_id TEXT NOT NULL REFERENCES children(id) ON DELETE CASCADE,
    game TEXT NOT NULL,
    open_levels INTEGER NOT NULL,
    PRIMARY KEY (child_id, game)
);

CREATE TABLE IF NOT EXISTS rounds (
    id TEXT PRIMARY KEY,
    child_id TEXT NOT NULL,
    game TEXT NOT NULL,
    level INTEGER NOT NULL,
    started_ms BIGINT NOT NULL,
    duration_ms BIGINT NOT NULL DEFAULT 0,
    outcome TEXT NOT NULL DEFAULT '',
    points INTEGER NOT NULL DEFAULT 0,
    sent_ms BIGINT
);

CREATE TABLE IF NOT EXISTS answers (
    id TEXT PRIMARY KEY,
    round_id TEXT NOT NULL,
    child_id TEXT NOT NULL,
    mode TEXT NOT NULL,
    game TEXT NOT NULL,
    level INTEGER NOT NULL,
    instrument TEXT NOT NULL,
    answer TEXT NOT NULL,
    correct INTEGER NOT NULL,
    first_try INTEGER NOT NULL,
    at_ms BIGINT NOT NULL,
    elapsed_ms BIGINT NOT NULL,
    sent_ms BIGINT
);

CREATE TABLE IF NOT EXISTS settings (
    key TEXT PRIMARY KEY,
    value TEXT
);

CREATE INDEX IF NOT EXISTS answers_child_at ON answers(child_id, at_ms);
CREATE INDEX IF NOT EXISTS rounds_child_started ON rounds(child_id, started_ms);

INSERT INTO meta(key, value) VALUES ('schema', '2') ON CONFLICT (key) DO NOTHING;

RESET ROLE;

-- The game's computers. Answers and rounds are only ever added: a round is sent once it has
-- ended, and a second send of the same row does nothing (INSERT ... ON CONFLICT DO NOTHING, with
-- no conflict target, needs no right to read the table; DO UPDATE would need one).
REVOKE ALL ON meta, classes, children, levels, rounds, answers, settings FROM calivento_poste;
GRANT SELECT ON meta, classes, children, levels, settings TO calivento_poste;
GRANT UPDATE (hears_found) ON children TO calivento_poste;
GRANT INSERT, UPDATE ON levels, settings TO calivento_poste;
GRANT INSERT ON rounds, answers TO calivento_poste;

COMMIT;

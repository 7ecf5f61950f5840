-- The question bank: every table the program reads and writes.
--
-- Written in the Jet dialect that the data-access layer takes (it translates each statement
-- for the engine): TEXT(n) and MEMO columns compare without regard to case, IMAGE columns
-- keep their bytes exactly as written (rich text is stored there as RTF bytes), counters and
-- flags are NOT NULL DEFAULT 0 so that an unset counter reads as 0 everywhere.
-- Statements end with a semicolon at the end of a line; "--" starts a comment line.

-- Questions: key and the user's answer state, one row per question.
--   a1 question id (a "-" marks a member of a group whose id is the first 16 characters)
--   a2 key, a2_1 number of options, k3..k12 linked law articles (tab_rule.ftid),
--   a10 leaf chapter (tab_kmmc.C1), a13 type (tab_tx.A1), a14 the user's note,
--   e1 date of the last answer, e2 last answer, e2_1 answer of the running practice or exam,
--   e3 answers saved, e4 right/wrong balance (below 0: in the wrong-answer set),
--   f1 1 voided / 2 entered by the user, xx order key, csbs "Y" after a time-out,
--   ecount number of edits.
CREATE TABLE tab_answ (
  a1 TEXT(20) NOT NULL PRIMARY KEY,
  a2 TEXT(100),
  a2_1 SMALLINT NOT NULL DEFAULT 0,
  k3 TEXT(9), k4 TEXT(9), k5 TEXT(9), k6 TEXT(9), k7 TEXT(9),
  k8 TEXT(9), k9 TEXT(9), k10 TEXT(9), k11 TEXT(9), k12 TEXT(9),
  a10 TEXT(6),
  a13 SMALLINT NOT NULL DEFAULT 0,
  a14 MEMO,
  e1 DATETIME,
  e2 TEXT(100),
  e2_1 TEXT(100),
  e3 SMALLINT NOT NULL DEFAULT 0,
  e4 SMALLINT NOT NULL DEFAULT 0,
  f1 SMALLINT NOT NULL DEFAULT 0,
  xx LONG NOT NULL DEFAULT 0,
  csbs TEXT(2),
  ecount LONG NOT NULL DEFAULT 0
);
CREATE INDEX ix_answ_a10 ON tab_answ (a10);
CREATE INDEX ix_answ_a13 ON tab_answ (a13);

-- Question texts: stem a15 and explanation jx, both RTF.
CREATE TABLE tab_exer (
  a1 TEXT(20) NOT NULL PRIMARY KEY,
  a15 IMAGE,
  jx IMAGE
);

-- Stems of question groups: A1 the group id, A15 the shared stem (RTF).
CREATE TABLE tab_title (
  A1 TEXT(20) NOT NULL PRIMARY KEY,
  A15 IMAGE
);

-- Question types: A1 code, B1 name, B2 questions of the type in a mock exam (0: not in
-- mock exams), B3 points per question, time answer time per question in minutes.
CREATE TABLE tab_tx (
  A1 SMALLINT NOT NULL PRIMARY KEY,
  B1 TEXT(50),
  B2 SMALLINT NOT NULL DEFAULT 0,
  B3 SMALLINT NOT NULL DEFAULT 0,
  [time] DOUBLE NOT NULL DEFAULT 1
);

-- Subjects and chapters as one tree: bh order, C1 code (a subject one character, a child
-- extends its parent's code, leaves have six), C1_1 the same code, C2 name, C3 questions,
-- C4 questions answered, D1 answers, D2 wrong answers, C6 accuracy text, C7 '0' shown in
-- the charts, jx guidance text (RTF).
CREATE TABLE tab_kmmc (
  bh LONG NOT NULL DEFAULT 0,
  C1 TEXT(6) NOT NULL,
  C1_1 TEXT(6),
  C2 TEXT(100),
  C3 LONG NOT NULL DEFAULT 0,
  C4 LONG NOT NULL DEFAULT 0,
  D1 LONG NOT NULL DEFAULT 0,
  D2 LONG NOT NULL DEFAULT 0,
  C6 TEXT(10),
  C7 TEXT(1),
  jx IMAGE
);
CREATE INDEX ix_kmmc_c1 ON tab_kmmc (C1);
CREATE INDEX ix_kmmc_bh ON tab_kmmc (bh);

-- Law groups (id of one character) and laws (four characters, the first is the group's):
-- n name, bh order, q questions linked, q1 questions answered, q2 answers, q4 wrong answers.
CREATE TABLE tab_fgmc (
  id TEXT(4) NOT NULL,
  n TEXT(100),
  bh LONG NOT NULL DEFAULT 0,
  q LONG NOT NULL DEFAULT 0,
  q1 LONG NOT NULL DEFAULT 0,
  q2 LONG NOT NULL DEFAULT 0,
  q4 LONG NOT NULL DEFAULT 0
);
CREATE INDEX ix_fgmc_id ON tab_fgmc (id);

-- Law articles: id the law, ftid the article (its first four characters are the law),
-- sn article number, n text (RTF), counters as tab_fgmc.
CREATE TABLE tab_rule (
  id TEXT(4) NOT NULL,
  ftid TEXT(9) NOT NULL,
  sn TEXT(50),
  n IMAGE,
  q LONG NOT NULL DEFAULT 0,
  q1 LONG NOT NULL DEFAULT 0,
  q2 LONG NOT NULL DEFAULT 0,
  q4 LONG NOT NULL DEFAULT 0
);
CREATE INDEX ix_rule_ftid ON tab_rule (ftid);
CREATE INDEX ix_rule_id ON tab_rule (id);

-- The study log, one row per day: A1 the date, A2 answers, A3 wrong answers, A4 accuracy
-- text, B1 questions answered, B2 of those wrong at their last answer, D1 study time h:mm:ss.
-- A3 and B2 stay empty (read as 0) until the day's first wrong answer.
CREATE TABLE tab_rz (
  A1 DATETIME NOT NULL,
  A2 LONG NOT NULL DEFAULT 0,
  A3 LONG,
  A4 TEXT(10),
  B1 LONG NOT NULL DEFAULT 0,
  B2 LONG,
  D1 TEXT(20)
);
CREATE INDEX ix_rz_a1 ON tab_rz (A1);

-- Mock-exam records: A1 paper table, A3 title, A3_1 sequence, A6 score, D1 date made,
-- D2 elapsed time.
CREATE TABLE tab_cj (
  A1 TEXT(20) NOT NULL,
  A3 TEXT(100),
  A3_1 LONG NOT NULL DEFAULT 0,
  A6 DOUBLE NOT NULL DEFAULT 0,
  D1 DATETIME,
  D2 TEXT(20)
);
CREATE INDEX ix_cj_a1 ON tab_cj (A1);

-- The study plan, one row: PlanMark 0 by answers / 1 by minutes, PlanAmount answers a day,
-- PlanTime minutes a day, ExamDate the exam date.
CREATE TABLE tab_plan (
  PlanMark SMALLINT NOT NULL DEFAULT 0,
  PlanAmount LONG NOT NULL DEFAULT 0,
  PlanTime LONG NOT NULL DEFAULT 0,
  ExamDate DATETIME
);

-- Applied upgrades: sjbs upgrade id, cpbs product id.
CREATE TABLE tab_sj (
  sjbs TEXT(50) NOT NULL,
  cpbs TEXT(50) NOT NULL
);

-- A mock-exam paper is a table of its own, made by the program when an exam starts:
--   CREATE TABLE tab_examN (A1 TEXT(20) NOT NULL PRIMARY KEY,A2 TEXT(100),A2_1 SMALLINT,
--     K3 TEXT(9),K4 TEXT(9),K5 TEXT(9),K6 TEXT(9),K7 TEXT(9),K8 TEXT(9),K9 TEXT(9),
--     K10 TEXT(9),K11 TEXT(9),K12 TEXT(9),A10 TEXT(6),A13 SMALLINT,A14 MEMO,E1 DATETIME,
--     E2 TEXT(100),E2_1 TEXT(100),E3 SMALLINT,E4 SMALLINT,jx IMAGE,csbs TEXT(2),F1 SMALLINT)
-- (data/BankSchema.h holds this text as PaperTableSql).

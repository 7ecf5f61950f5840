// The data module TDM1 (global DM1): the connection to the question bank, a second
// connection for upgrade files, every table and query object the windows use, and the
// study-record bookkeeping that the practice, law-article practice and exam windows run
// for each saved answer and when a practice or exam ends.
//
// The components come from the module's stored layout (dm.layout); the module opens
// nothing but the connection. Tables and queries stay closed until a window or routine
// needs them and mostly stay open afterwards.
#pragma once
#include <cstdint>
#include "classlib/ado/ADODB.h"
#include "classlib/forms/DataModule.h"
#include "classlib/system/SysDate.h"

class TDM1 : public TDataModule {
  CLASSLIB_CLASS(TDM1, TDataModule)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout. OnCreate (DataModuleCreate) runs in AfterConstruction, which
  // Application->CreateForm calls.
  explicit TDM1(TComponent* owner);

  // ---- Components (owned by the module; in the order of the layout) --------------------
  TADOConnection* ADOCn1 = nullptr;     // the question bank
  TADOQuery* Cn1Query1 = nullptr;       // general-purpose query, static cursor
  TDataSource* Cn1DS1 = nullptr;
  TADOTable* Cn1Table_kmmc = nullptr;   // tab_kmmc, by bh
  TADOTable* Cn1Table_tx = nullptr;     // tab_tx
  TADOQuery* Cn1Query_tm = nullptr;     // the practice set
  TADOQuery* Cn1Query2 = nullptr;       // question texts and group stems of exam windows
  TDataSource* Cn1DS2 = nullptr;
  TDataSource* Cn1DS_tm = nullptr;
  TADOTable* Cn1Table_rz = nullptr;     // tab_rz, the study log
  TDataSource* Cn1DS_rz = nullptr;
  TDataSource* Cn1DS_kmmc = nullptr;    // OnDataChange = Cn1DS_kmmcDataChange
  TADOQuery* Cn1Query_exam = nullptr;   // the open exam paper
  TDataSource* Cn1DS_exam = nullptr;
  TADOTable* Cn1Table_cj = nullptr;     // tab_cj, the exam records
  TDataSource* Cn1DS_cj = nullptr;
  TADOQuery* ADOQ_kmmc = nullptr;       // chapter rows of the charts
  TADOConnection* ADOCn2 = nullptr;     // upgrade files
  TADOQuery* Cn2Query1 = nullptr;       // on ADOCn2
  TADOQuery* m_queryDetail = nullptr;   // articles of the law open in the law browser
  TADOQuery* m_query = nullptr;         // law list of the law browser
  TADOQuery* ADOQuery3 = nullptr;       // runs the statements of CountRuleHits
  TDataSource* m_query_DS = nullptr;
  TADOQuery* ADOQ_kl = nullptr;         // clone of the paper for the Word export
  TDataSource* Ds_kl = nullptr;
  TADOTable* Cn1Table_fgmc = nullptr;   // tab_fgmc
  TADOQuery* Cn1Query3 = nullptr;       // general-purpose query
  TDataSource* Cn1DS3 = nullptr;
  TDataSource* DS_0 = nullptr;
  TADOQuery* ADO_0 = nullptr;           // general-purpose query
  TADOQuery* cn1query_nr = nullptr;     // question text (tab_exer) of the current question
  TDataSource* Cn1DS_nr = nullptr;
  TADOTable* Cn1Table_plan = nullptr;   // tab_plan

  // True once DataModuleCreate has connected to the question bank.
  bool DbReady = false;

  // ---- Event handlers ------------------------------------------------------------------
  // Sets AppPath and connects ADOCn1 to the question bank; DbReady says whether it did.
  // Never raises: a failed connection only leaves DbReady false.
  void DataModuleCreate(TObject* sender);
  // The current chapter row changed: keeps CurChapterCode; while the chooser is on screen,
  // enables its guidance button exactly when the row has guidance (jx).
  void Cn1DS_kmmcDataChange(TObject* sender, TField* field);

  // ---- Study records -------------------------------------------------------------------
  // Flags: 1 = yes/right, 2 = no/wrong. Each raises what the data access raises.
  //
  // One saved answer in today's row of tab_rz. todayFlag 2: the question had not been
  // answered yet today; result: this answer; prevResult: the question's previous answer.
  void LogDailyAnswer(int todayFlag, int result, int prevResult);
  // One saved answer in the chapter code's row of tab_kmmc and in the row of every prefix
  // of the code. firstFlag 2: the question had never been answered.
  void CountChapterAnswer(const String& code, int firstFlag, int result);
  // One saved answer in the counters of the linked articles (tab_rule) and of their laws
  // and law groups (tab_fgmc). Each list is a parenthesised SQL list of quoted ids, built
  // by the caller; wrongFlag 2: the answer was wrong.
  void CountRuleHits(const String& articles, const String& laws, const String& groups,
                     int firstFlag, int wrongFlag);
  // A practice or exam ends: adds its elapsed time (h:mm:ss) to today's study time, sets
  // today's accuracy, and sets the accuracy text of every chapter row.
  void CloseSessionStats(const String& elapsedTime);

  // Today's row of tab_rz becomes current (the table opened when closed); false when none.
  bool LocateToday();

  // The day the records are kept for: the system's date unless a day was pinned (0 unpins).
  TDateTime Today() const { return FToday != 0 ? FToday : Date(); }
  void SetToday(TDateTime day) { FToday = day; }

 private:
  void RegisterHandlers();
  // Adds one answer to the current row of Cn1Table_kmmc.
  void CountChapterRow(int firstFlag, int result);
  // Runs one statement on ADOQuery3.
  void RunRuleStatement(const String& sql);

  TDateTime FToday = 0;  // pinned day; 0: the system's date
};

extern TDM1* DM1;

// ---- Helpers of the module (no database needed) ----------------------------------------

// The question bank's file under the program directory appDir (with or without a
// trailing backslash).
String BankFileOf(const String& appDir);
// The connection string of the question bank (and, with an empty password, of upgrade
// files) on dbFile.
String DbConnectionString(const String& dbFile, const String& password);
// Seconds of a time text of hours, minutes and seconds separated by colons: h:m:s gives
// h * 3600 + m * 60 + s, counting only the first two characters of the seconds; one colon
// (m:s) gives m * 3600; no colon gives 0; three or more colons give h * 3600 + m * 60.
// EConvertError when a part that counts is not a decimal number of at most nine digits.
int64_t TimeStrToSeconds(const String& s);
// The time text of a number of seconds: hours, minutes and seconds joined by colons, each
// at least two digits (24:00:05, 100:00:00). Negative counts give 00:00:00.
String SecondsToTimeStr(int64_t seconds);
// The accuracy text of answers given and wrong answers: (answers - wrong) / answers * 100
// formatted "%2.2f", or "0" when no answer was given.
String AccuracyText(int answers, int wrong);

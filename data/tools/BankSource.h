// Reader of the question bank's sources: UTF-8 text files, one directive per line starting
// with "@", the lines after a directive being its text. Lines starting with "#" are comments.
//
//   @type CODE NAME exam=N points=N time=MINUTES answer=single|multiple|anyof|self
//   @plan mark=0|1 amount=N minutes=N examdays=N   (exam date: the build day + N days)
//   @lawgroup ID NAME                 a law group, id of one character
//   @law ID NAME                      a law, id of four characters beginning with its group's
//   @article FTID NUMBER              an article of the law its first four characters name;
//                                     its text follows
//   @subject CODE NAME [listening]    a subject, code of one character; "listening" requires
//                                     a spoken script for every question and group under it
//   @chapter CODE NAME                a chapter; its code extends an existing node's code
//   @guide                            the current chapter's guidance text follows
//   @group TYPE                       a question group in the current chapter; its shared
//                                     stem follows; the questions up to @endgroup are members
//   @endgroup
//   @question TYPE [laws=FTID,FTID]   a question in the current chapter; its stem follows,
//                                     options as lines "A. ...", "B. ..."
//   @voice                            the spoken script of the current question, or of the
//                                     group before its first question; lines "W: ", "M: ",
//                                     "N: " (narrator) and "Q: " (question)
//   @key ANSWER                       the key
//   @explain                          the explanation follows
//
// Ids are given by the reader in source order: "QB" + chapter code + two-digit type code +
// six-digit serial (16 characters); a group member's id is its group's id, "-" and a
// two-digit member number. Errors name the file and line: EBankSourceError.
#pragma once
#include "BankContent.h"
#include "classlib/system/SysExceptions.h"

CLASSLIB_EXCEPTION(EBankSourceError, Exception)

// Reads every *.txt file of folder in the order of their names and checks the whole:
// chapters of questions are six-character leaves, types, laws and articles referred to
// exist, keys fit their type and options, listening questions have scripts.
// examDateBase is the day the plan's exam date counts from (TDateTime).
TBankContent ReadBankSources(const String& folder, double examDateBase);

// The same over texts already read: (file name, UTF-8 text) pairs, in order.
TBankContent ParseBankSources(const std::vector<std::pair<String, std::string>>& files,
                              double examDateBase);

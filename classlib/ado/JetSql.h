// Translation of the Jet dialect of SQL into SQLite's.
//
// The text is cut into tokens (strings, [names], "double-quoted" strings, #dates#,
// :parameters, numbers, words, symbols) and the tokens into nested groups, one per pair of
// parentheses; every rewrite works on those tokens, never on the raw text, so that nothing
// inside a string or a name is ever touched. The rewrites:
//   [name], `name`           -> "name"                   (identifier)
//   "text"                   -> 'text'                   (Jet reads double quotes as a string)
//   #5/7/2024#, #2024-05-07# -> '2024-05-07 00:00:00'    (dates are kept as ISO text)
//   TRUE / FALSE             -> -1 / 0
//   a MOD b                  -> a % b
//   a & b & c                -> JETCONCAT(a, b, c)        (Null-tolerant text concatenation)
//   SELECT TOP n ...         -> SELECT ... LIMIT n
//   INSERT INTO t SELECT * FROM s -> INSERT INTO t (c1, ..) SELECT c1, .. FROM s (columns given)
//   DELETE * FROM t          -> DELETE FROM t
//   FROM t IN 'file'         -> FROM ext.t                (the file attached as schema ext)
//   'text' in DML            -> 'text' COLLATE NOCASE    (text compares as Jet's, ignoring case)
//   :name, ?                 -> ?n                       (one parameter per distinct name,
//                                                        and one per ? with an empty name)
//   LEFT(..), RIGHT(..)      -> "LEFT"(..), "RIGHT"(..)  (keywords in SQLite, functions here)
//   Jet column types in CREATE TABLE and ALTER TABLE ... ADD become SQLite declarations
//   whose names the data sets map back to field types; text columns get COLLATE NOCASE.
//   ALTER DATABASE PASSWORD new old is recognised and handed back, not translated.
// LIKE keeps its form: the connection registers a LIKE of Jet's wildcards (* ? # [..]).
#pragma once
#include <cstddef>
#include <functional>
#include <vector>
#include "../system/SysString.h"

enum class TJetStatementKind {
  Select, Insert, Update, Delete, CreateTable, AlterTable, CreateIndex, DropTable, DropIndex,
  AlterDatabasePassword, Other
};

// One table of the FROM clause of a SELECT.
struct TJetSource {
  String Table;     // the table's name, without quotes
  String Alias;     // the name the statement refers to it by (the table's name when no alias)
  String Schema;    // the schema it is read from: empty for the main file
};

struct TJetTranslation {
  String Sql;                        // the statement for SQLite
  TJetStatementKind Kind = TJetStatementKind::Other;
  std::vector<String> ParamNames;    // distinct :names (and "" for each ?) in order; ?1 is the first

  // A single SELECT without DISTINCT, GROUP BY, aggregates or derived tables at its top level,
  // whose rows therefore each come from one row of every table in Sources.
  bool SimpleSelect = false;
  std::vector<TJetSource> Sources;   // the tables of its FROM clause, in order
  size_t ExtraColumnsAt = String::npos;  // offset in Sql just before its FROM: ", x AS y" may go there

  String NewPassword, OldPassword;   // of ALTER DATABASE PASSWORD (NULL gives "")
};

// Returns the schema name under which the database file of an IN '<file>' clause can be
// read (attaching it when needed); it raises when it cannot.
using TExternalDatabaseResolver = std::function<String(const String& fileName)>;

// The column names of a table of a schema ("" for the main file), in order; empty when
// there is no such table.
using TTableColumnsResolver = std::function<std::vector<String>(const String& schema, const String& table)>;

// EDatabaseError for unterminated strings, names or dates, invalid date literals,
// unbalanced parentheses and TOP n PERCENT.
// With columns given, INSERT INTO t SELECT * FROM s names the target's columns on both
// sides, so that the rows are matched by column name rather than by position; a column
// of t that s lacks is an EDatabaseError.
TJetTranslation TranslateJetSql(const String& jetSql, const TExternalDatabaseResolver& resolve,
                                const TTableColumnsResolver& columns = nullptr);

// The SQLite declaration of a Jet column type name ("TEXT", "LONG", "YESNO" ...) with its
// size when it has one; empty when the name is not a Jet type.
String JetTypeToDeclaration(const String& jetType, int size);

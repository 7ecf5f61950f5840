// The text of data/schema.sql, compiled in by the build.
#pragma once

extern const char kBankSchemaSql[];

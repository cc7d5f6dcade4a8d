// The generated table the data benchmarks share (fixed seed): ID, Name with some Nulls
// (some long names differing only after their first eight bytes), City of 100 values,
// Amount currency, Price float, Day date, Flag boolean.
#pragma once

#include "classlib/core/Variants.h"

#include <cstdio>
#include <random>
#include <string>
#include <vector>

enum Column { cID, cName, cCity, cAmount, cPrice, cDay, cFlag, cColumns };

struct Row {
  Integer ID;
  bool NameNull;
  std::string Name;
  std::string City;
  Int64 Amount;  // currency, ten-thousandths
  double Price;
  double Day;
  bool Flag;
};

inline std::vector<Row> Generate(Integer N) {
  std::mt19937 gen(20261207);
  std::vector<Row> rows(static_cast<size_t>(N));
  for (Integer i = 0; i < N; ++i) {
    Row& r = rows[size_t(i)];
    r.ID = i + 1;
    r.NameNull = gen() % 10 == 0;
    // Long names that differ only after their first eight bytes.
    if (gen() % 4 == 0) r.Name = "namesake-";
    for (int k = 0; k < 6; ++k) r.Name += char('a' + gen() % 26);
    char city[16];
    std::snprintf(city, sizeof city, "City%02u", unsigned(gen() % 100));
    r.City = city;
    r.Amount = Int64(gen() % 10000000) * 100;
    r.Price = double(gen() % 100000) / 100.0;
    r.Day = 43831.0 + double(gen() % 1827);  // 2020-01-01 and five years on
    r.Flag = gen() % 2 == 0;
  }
  return rows;
}

#ifdef TL_HAVE_SQLITE3
#include <sqlite3.h>

// Binds a row's values after its ID (Name, City, Amount, Price, Day, Flag) to the statement's
// parameters AFirst to AFirst + 5.
inline void BindRowValues(sqlite3_stmt* AStatement, const Row& ARow, int AFirst) {
  if (ARow.NameNull)
    sqlite3_bind_null(AStatement, AFirst);
  else
    sqlite3_bind_text(AStatement, AFirst, ARow.Name.data(), int(ARow.Name.size()), SQLITE_STATIC);
  sqlite3_bind_text(AStatement, AFirst + 1, ARow.City.data(), int(ARow.City.size()), SQLITE_STATIC);
  sqlite3_bind_int64(AStatement, AFirst + 2, ARow.Amount);
  sqlite3_bind_double(AStatement, AFirst + 3, ARow.Price);
  sqlite3_bind_double(AStatement, AFirst + 4, ARow.Day);
  sqlite3_bind_int(AStatement, AFirst + 5, ARow.Flag ? 1 : 0);
}

// The table as SQLite table t (ID the INTEGER PRIMARY KEY), filled in one transaction.
inline void CreateSQLiteTable(sqlite3* ADatabase, const std::vector<Row>& ARows) {
  sqlite3_exec(ADatabase,
               "CREATE TABLE t (ID INTEGER PRIMARY KEY, Name TEXT, City TEXT, Amount INTEGER, Price REAL, Day REAL, "
               "Flag INTEGER)",
               nullptr, nullptr, nullptr);
  sqlite3_exec(ADatabase, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(ADatabase, "INSERT INTO t VALUES (?, ?, ?, ?, ?, ?, ?)", -1, &st, nullptr);
  for (const Row& r : ARows) {
    sqlite3_bind_int(st, 1, r.ID);
    BindRowValues(st, r, 2);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(ADatabase, "COMMIT", nullptr, nullptr, nullptr);
}
#endif

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

// Tables of calls and the results they must give, run in order: one row per call, several
// rows to a line, so that a list of cases reads as a table.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace zu::test {

struct Row {
    const char* call;
    std::function<long()> run;
    long expect;
};

inline void expectRows(const std::vector<Row>& rows) {
    for (const Row& r : rows) EXPECT_EQ(r.run(), r.expect) << r.call;
}

// The library takes char* for texts it only reads.
inline char* cs(const char* s) {
    return const_cast<char*>(s);
}

}  // namespace zu::test

// clang-format off
// A row whose call is one expression, named by its own text.
#define ROW(call, want) zu::test::Row{#call, [&] { return long(call); }, want}
// A row that makes a call and reads back what it left.
#define AFTER(call, read, want) zu::test::Row{#call, [&] { call; return long(read); }, want}
// clang-format on

// Table-driven checks of the OM glue: each row calls one glue function with
// distinctive arguments and lists the command and slots a host must see.
//
//   const glue::Row rows[] = {
//       {GLUE(OMMoveReq, kReq, -7, 9), 230, {5, kReq, -7, 9}, glue::Int},
//   };
//   glue::checkRowsRaw(rows);          // our own recording dispatch, byte exact
//   glue::checkRowsHost(rows);         // through the stand-in host's recorder
//   glue::checkCoversHeader(rows, "host/om_requester.h");
//
// A row without slots stands for a call with a null slot array.
// Argument helpers give values that expose a wrong encoding: P(n) pointers
// above 2^32, L(n) int64 values above 2^32, U(n) uint32 values with bit 31 set
// (a sign extension would show), negative int32 literals, F(x) float slots.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "host/PIFilter.h"
#include "hostsim/Host.h"

namespace glue {

enum Kind { None, Int, Ptr };

inline void* P(int n) {
    return reinterpret_cast<void*>(0x7E5500000000LL + 0x1010LL * n);
}
inline char* T(int n) {
    return static_cast<char*>(P(100 + n));
}  // a text pointer
inline int64_t L(int n) {
    return (int64_t(n) << 36) | 0x5A5A0000LL | n;
}
inline uint32_t U(int n) {
    return 0x80000000u + 0x101u * n;
}

// One expected slot: an exact value, a float (only bytes 0-3 mean anything),
// or a non-null address whose target a dedicated test checks.
struct Slot {
    enum How { Exact, Low32, AnyNonNull };
    int64_t value = 0;
    How how = Exact;
    Slot(int32_t v) : value(v) {}
    Slot(int64_t v) : value(v) {}
    Slot(uint32_t v) : value(static_cast<int64_t>(static_cast<uint64_t>(v))) {}
    Slot(const void* p) : value(static_cast<int64_t>(reinterpret_cast<intptr_t>(p))) {}
    Slot(int64_t v, How h) : value(v), how(h) {}
    bool matches(int64_t got) const {
        switch (how) {
            case Low32:
                return static_cast<uint32_t>(got) == static_cast<uint32_t>(value);
            case AnyNonNull:
                return got != 0;
            default:
                return got == value;
        }
    }
};

inline Slot F(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return Slot(static_cast<int64_t>(bits), Slot::Low32);
}
inline Slot anyAddress() {
    return Slot(0, Slot::AnyNonNull);
}

// What a glue function handed back: its kind and value (pointers as integers).
struct Returned {
    Kind kind;
    int64_t value;
};

template <class Fn>
Returned capture(Fn&& fn) {
    using R = decltype(fn());
    if constexpr (std::is_void_v<R>) {
        fn();
        return {None, 0};
    } else if constexpr (std::is_pointer_v<R>) {
        return {Ptr, static_cast<int64_t>(reinterpret_cast<intptr_t>(fn()))};
    } else {
        static_assert(std::is_same_v<R, int32_t>, "int-kind glue returns int32_t");
        return {Int, fn()};
    }
}

#define GLUE(fn, ...) \
#fn, [](PIFilter * f) { return glue::capture([&] { return fn(f, __VA_ARGS__); }); }
#define GLUE0(fn) #fn, [](PIFilter * f) { return glue::capture([&] { return fn(f); }); }

struct Row {
    const char* name;
    std::function<Returned(PIFilter*)> call;
    int64_t command;
    std::vector<Slot> slots;
    Kind kind;
};

// A result with bits both above and below bit 32 and bit 31 set: an int-kind
// function must hand back exactly the low half, sign and all.
constexpr int64_t kResult = 0x0000000180000005LL;

// ---- our own recording dispatch: copies exactly the expected slot count, so
// an array shorter than the layout is an out-of-bounds read under ASan ----
struct RawCall {
    int calls = 0;
    int64_t command = 0;
    const int64_t* slotPointer = nullptr;
    size_t want = 0;
    std::vector<int64_t> slots;
    int64_t result = kResult;
};
inline RawCall& raw() {
    static RawCall r;
    return r;
}
inline int64_t rawDispatch(PIFilter*, int64_t command, int64_t* slots) {
    RawCall& r = raw();
    ++r.calls;
    r.command = command;
    r.slotPointer = slots;
    r.slots.assign(slots ? slots : nullptr, slots ? slots + r.want : nullptr);
    return r.result;
}
struct RawFilter {
    PIFilter record{};
    RawFilter(int major = 6, int minor = 0) {
        record.hostMajor = major;
        record.hostMinor = minor;
        record.dispatch = rawDispatch;
        raw() = RawCall{};
    }
    PIFilter* get() { return &record; }
};

inline void checkReturned(const Row& row, const Returned& got) {
    EXPECT_EQ(got.kind, row.kind) << "result kind";
    if (row.kind == Int) {
        EXPECT_EQ(got.value, int64_t(int32_t(0x80000005u))) << "low 32 bits";
    } else if (row.kind == Ptr) {
        EXPECT_EQ(got.value, kResult) << "whole 64-bit result";
    }
}

inline void checkSlots(const std::vector<Slot>& want, const std::vector<int64_t>& got) {
    ASSERT_EQ(got.size(), want.size()) << "slot count";
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_TRUE(want[i].matches(got[i]))
            << "slot " << i << ": got " << got[i] << " (0x" << std::hex << got[i] << "), want 0x"
            << want[i].value << std::dec;
}

template <size_t N>
void checkRowsRaw(const Row (&rows)[N]) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RawFilter filter;
        raw().want = row.slots.size();
        const Returned got = row.call(filter.get());
        ASSERT_EQ(raw().calls, 1) << "exactly one dispatch call";
        EXPECT_EQ(raw().command, row.command);
        if (row.slots.empty()) {
            EXPECT_EQ(raw().slotPointer, nullptr) << "no slots: a null slot array";
        } else {
            ASSERT_NE(raw().slotPointer, nullptr);
            checkSlots(row.slots, raw().slots);
        }
        checkReturned(row, got);
    }
}

// Through the stand-in host, which reads for each command exactly the slots of
// its own layout: the recorded slots must be the row's, slot by slot.
template <size_t N>
void checkRowsHost(const Row (&rows)[N]) {
    hostsim::Host host(7, 5);
    host.setRecordOnly(true);  // the rows pass made-up pointers
    host.faults().forcedResult = kResult;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.clearCalls();
        const Returned got = row.call(host.filter());
        ASSERT_EQ(host.calls().size(), 1u) << "exactly one dispatch call";
        const hostsim::Call& call = host.calls()[0];
        EXPECT_EQ(call.command, row.command);
        EXPECT_TRUE(call.known) << "host has no layout for this command";
        EXPECT_EQ(call.nullSlots, row.slots.empty());
        checkSlots(row.slots, call.slots);
        checkReturned(row, got);
    }
}

// Every function the family's header exports has exactly one row (the names
// in `exempt` are tested on their own).
template <size_t N>
void checkCoversHeader(const Row (&rows)[N], const char* header,
                       const std::set<std::string>& exempt = {}) {
    std::ifstream in(std::string(DAUB_SOURCE_DIR) + "/" + header);
    ASSERT_TRUE(in) << header;
    std::stringstream text;
    text << in.rdbuf();
    const std::string src = text.str();
    // Each "OM_EXPORT <type> Name(" declares Name: the identifier before the '('.
    std::set<std::string> declared;
    for (size_t at = src.find("OM_EXPORT "); at != std::string::npos;
         at = src.find("OM_EXPORT ", at + 1)) {
        if (at > 0 && src[at - 1] != '\n') continue;  // the macro's own definition, comments
        size_t paren = src.find('(', at);
        size_t end = paren;
        while (end > at && src[end - 1] == ' ') --end;
        size_t begin = end;
        while (begin > at &&
               (std::isalnum(static_cast<unsigned char>(src[begin - 1])) || src[begin - 1] == '_'))
            --begin;
        const std::string name = src.substr(begin, end - begin);
        if (!exempt.count(name)) declared.insert(name);
    }
    std::multiset<std::string> tabled;
    for (const Row& row : rows) tabled.insert(row.name);
    for (const std::string& name : declared)
        EXPECT_EQ(tabled.count(name), 1u) << name << " must appear in the table exactly once";
    for (const std::string& name : tabled)
        EXPECT_TRUE(declared.count(name)) << name << " is not declared in " << header;
}

}  // namespace glue

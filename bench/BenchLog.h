#pragma once
// The long log the benchmarks run on: the log a keen rider builds over ten
// years, 50 bicycles, 100,000 rides and 20,000 maintenance entries, written
// into the store's open database. The same seed gives the same log every run.
// Also what every benchmark times its figures with: each figure is the median
// of several runs beside its floor, timed in alternation.

#include "store/store.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace benchlog {

inline constexpr int kBicycles = 50;
inline constexpr int kRides = 100000;
inline constexpr int kMaintenanceEntries = 20000;
inline constexpr int kMaxMemoCharacters = 200;

inline int32_t Day(int year, int month, int day) {
    std::tm date{};
    date.tm_year = year - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    return static_cast<int32_t>(timegm(&date));
}

inline const int32_t kLogStart = Day(2014, 1, 1);
inline const int32_t kLogEnd = Day(2024, 1, 1);

inline bool Exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(DB_GetConnection(), sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, message ? message : "?");
        sqlite3_free(message);
        return false;
    }
    return true;
}

// A memo as the editors store it: UTF-16LE characters and two zero characters.
inline ByteBlock Memo(std::mt19937& random) {
    std::uniform_int_distribution<int> length(0, kMaxMemoCharacters);
    std::uniform_int_distribution<int> letter(0, 26);
    ByteBlock block;
    for (int i = length(random); i > 0; --i) {
        const int c = letter(random);
        block.push_back(static_cast<uint8_t>(c == 26 ? ' ' : 'a' + c));
        block.push_back(0);
    }
    block.insert(block.end(), 4, 0);
    return block;
}

// The log a keen rider builds over ten years: rides roughly in date order,
// several bicycles, a service now and then.
inline bool GenerateLog() {
    std::mt19937 random(20080501);
    std::uniform_int_distribution<int> bicycle(1, kBicycles);
    std::uniform_real_distribution<double> distance(5.0, 150.0);
    std::uniform_int_distribution<int> jitter(0, 6 * 3600);

    if (!Exec("begin")) {
        return false;
    }
    for (int i = 1; i <= kBicycles; ++i) {
        BicycleAttribute record;
        const std::string name = "Bicycle " + std::to_string(i);
        for (char c : name) {
            record.BicycleName.push_back(static_cast<uint8_t>(c));
            record.BicycleName.push_back(0);
        }
        record.BicycleName.insert(record.BicycleName.end(), 4, 0);
        record.Weight = 8.0 + i % 7;
        record.MaxSpeed = 60.0;
        record.PictureData.assign(20000, static_cast<uint8_t>(i));
        if (DB_InsertBicycle(&record) != 0) {
            std::fprintf(stderr, "%s\n", DB_GetLastError());
            return false;
        }
    }

    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(DB_GetConnection(), "insert into RideRecord values (NULL,?,?,?,?,?,?,?,?,?,?)", -1,
                       &insert, nullptr);
    const double step = double(kLogEnd - kLogStart) / kRides;
    for (int i = 0; i < kRides; ++i) {
        const double km = distance(random);
        const int seconds = static_cast<int>(km / 25.0 * 3600);
        const ByteBlock memo = Memo(random);
        sqlite3_bind_int(insert, 1, kLogStart + static_cast<int32_t>(i * step) + jitter(random));
        sqlite3_bind_int(insert, 2, bicycle(random));
        sqlite3_bind_double(insert, 3, km);
        sqlite3_bind_double(insert, 4, 30.0 + km / 5.0);
        sqlite3_bind_int(insert, 5, seconds / 3600);
        sqlite3_bind_int(insert, 6, seconds / 60 % 60);
        sqlite3_bind_int(insert, 7, seconds % 60);
        sqlite3_bind_int(insert, 8, i % 5);
        sqlite3_bind_int(insert, 9, i % 3);
        sqlite3_bind_blob(insert, 10, memo.data(), static_cast<int>(memo.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(insert) != SQLITE_DONE) {
            std::fprintf(stderr, "ride insert: %s\n", sqlite3_errmsg(DB_GetConnection()));
            return false;
        }
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);

    sqlite3_prepare_v2(DB_GetConnection(), "insert into MaintenanceRecord values (NULL,?,?,?,?)", -1, &insert,
                       nullptr);
    const double entryStep = double(kLogEnd - kLogStart) / kMaintenanceEntries;
    for (int i = 0; i < kMaintenanceEntries; ++i) {
        const ByteBlock memo = Memo(random);
        sqlite3_bind_int(insert, 1, kLogStart + static_cast<int32_t>(i * entryStep) + jitter(random));
        sqlite3_bind_int(insert, 2, bicycle(random));
        sqlite3_bind_double(insert, 3, distance(random));
        sqlite3_bind_blob(insert, 4, memo.data(), static_cast<int>(memo.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(insert) != SQLITE_DONE) {
            std::fprintf(stderr, "maintenance insert: %s\n", sqlite3_errmsg(DB_GetConnection()));
            return false;
        }
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    return Exec("commit");
}

// ---- Timing ----------------------------------------------------------------

inline double Milliseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Ends the benchmark when a store call fails: its figures would mean nothing.
inline int Check(int result) {
    if (result != 0) {
        std::fprintf(stderr, "store call failed (%d): %s\n", result, DB_GetLastError());
        std::exit(2);
    }
    return result;
}

// A piece of work to time, with what runs untimed before and after each run.
struct Timed {
    std::function<void()> run;
    std::function<void()> before = {};
    std::function<void()> after = {};
};

// How many runs make a figure: at least minRuns, and more until work and
// floor together have taken minSeconds.
struct Runs {
    int minRuns = 7;
    double minSeconds = 0.3;
};

// The medians of a figure, in milliseconds.
struct Timing {
    double work = 0;
    double floor = 0;
    double Ratio() const { return work / floor; }
};

// Times work and its floor in alternation, so that a busy moment of the
// machine weighs on both alike, after one untimed run of each, until there
// are enough runs; returns the medians.
inline Timing Measure(const Timed& work, const Timed& floor, Runs runs) {
    const auto once = [](const Timed& timed) {
        if (timed.before) {
            timed.before();
        }
        const double time = Milliseconds(timed.run);
        if (timed.after) {
            timed.after();
        }
        return time;
    };
    once(work);
    once(floor);
    std::vector<double> workTimes;
    std::vector<double> floorTimes;
    double spent = 0;
    while (static_cast<int>(workTimes.size()) < runs.minRuns || spent < runs.minSeconds * 1000) {
        floorTimes.push_back(once(floor));
        workTimes.push_back(once(work));
        spent += floorTimes.back() + workTimes.back();
    }
    return {Median(workTimes), Median(floorTimes)};
}

// Prints "label: X ms (floor Y ms, ratio r)", marked when its target was missed.
inline void Report(const std::string& label, const Timing& timing, bool met) {
    // Sub-millisecond figures keep enough digits to mean something.
    const int digits = timing.floor < 1.0 ? 3 : 1;
    std::printf("%s: %.*f ms (floor %.*f ms, ratio %.2f)%s\n", label.c_str(), digits, timing.work, digits,
                timing.floor, timing.Ratio(), met ? "" : "  <-- target missed");
    std::fflush(stdout);
}

// Measures and reports; true when the ratio is within the target.
inline bool Compare(const std::string& label, const Timed& work, const Timed& floor, double target,
                    Runs runs) {
    const Timing timing = Measure(work, floor, runs);
    const bool met = timing.Ratio() <= target;
    Report(label, timing, met);
    return met;
}

// ---- The log's directory ---------------------------------------------------

// The long log in a fresh temporary directory, made current (the program
// directory) for the benchmark's lifetime; the directory goes with it.
class LogDirectory {
public:
    LogDirectory() : m_previous(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "velomarq-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(2);
        }
        m_path = pattern;
        std::filesystem::current_path(m_path);
        const double generated = Milliseconds([] {
            Check(DB_CreateDatabase());
            Check(DB_OpenDatabase());
            if (!GenerateLog()) {
                std::exit(2);
            }
        });
        std::printf("log of %d bicycles, %d rides, %d maintenance entries made in %.0f ms\n", kBicycles,
                    kRides, kMaintenanceEntries, generated);
    }
    ~LogDirectory() {
        DB_CloseDatabase();
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    LogDirectory(const LogDirectory&) = delete;
    LogDirectory& operator=(const LogDirectory&) = delete;

    std::string Path() const { return m_path.string(); }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};

}  // namespace benchlog

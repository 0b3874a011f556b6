#pragma once
// Usage of parts and the state of service tasks, worked out from the rides
// each time they are shown. Plain functions over what the store gives; no
// widgets, so that the window, the cards, the start-up notice, the report and
// the benchmark all share them.

#include "store/PartsService.h"

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

struct Usage {
    double distance = 0.0;  // kilometres
    int64_t seconds = 0;    // riding time
};

// The rides of every bicycle as prefix sums over their dates: the usage
// between two days is two binary searches.
class RideUsage {
public:
    RideUsage() = default;
    // A copy finds its own bicycles again on the next Add.
    RideUsage(const RideUsage& other) : m_bicycles(other.m_bicycles) {}
    RideUsage(RideUsage&& other) noexcept : m_bicycles(std::move(other.m_bicycles)) {}
    RideUsage& operator=(const RideUsage& other) {
        m_bicycles = other.m_bicycles;
        m_last = nullptr;
        return *this;
    }
    RideUsage& operator=(RideUsage&& other) noexcept {
        m_bicycles = std::move(other.m_bicycles);
        m_last = nullptr;
        other.m_last = nullptr;
        return *this;
    }
    // Rides come in any order (quickest by bicycle, then date); Finish makes
    // the sums once they are all there.
    void Add(const RideDay& day);
    void Finish();
    // The rides of the bicycle dated on or after from and before to (none: no end).
    Usage Between(int bicycleNumber, int64_t from, std::optional<int64_t> to) const;

private:
    struct Sums {
        std::vector<RideDay> rides;  // as added, until Finish
        std::vector<int32_t> dates;
        std::vector<double> distance;  // distance[i]: sum of the rides before dates[i]; one more than dates
        std::vector<int64_t> seconds;
    };
    std::unordered_map<int32_t, Sums> m_bicycles;
    Sums* m_last = nullptr;  // the bicycle the last Add went to
    int32_t m_lastBicycle = 0;
};

enum class TaskState { Ok, DueSoon, Due, Overdue };

enum class Measure { Distance, Hours, Days };

struct TaskStatus {
    TaskState state = TaskState::Ok;
    // The largest share of an interval used up (1.0: reached).
    double share = 0.0;
    // The interval that comes first, and what is left of it (negative: past
    // it): kilometres, riding hours or days. No interval set: share 0, Ok.
    Measure measure = Measure::Distance;
    double left = 0.0;
    int32_t lastDone = 0;  // the day counted from
    bool hasInterval = false;
};

// Everything the parts and service of the whole log need, read at once.
struct ServiceData {
    std::vector<Part> parts;
    std::vector<PartStretch> stretches;  // by part, then fitting day
    std::vector<ServiceTask> tasks;
    std::vector<ServiceLink> links;
    std::vector<FrozenRide> frozen;  // by part, then date
    RideUsage rides;
    // The newest linked entry's date per task.
    std::unordered_map<int32_t, int32_t> newestDone;
};

// Reads the parts and service tables and the rides; kOk or the store's failure.
int LoadServiceData(ServiceData* data);

// The stretches of one part, oldest first.
std::vector<PartStretch> StretchesOf(const ServiceData& data, int partNumber);
// The bicycle the part is fitted to now; 0 when it is off every bicycle.
int FittedBicycle(const ServiceData& data, int partNumber);
// The parts on the bicycle now, and those that were on it and are off
// every bicycle now (retired there).
std::vector<const Part*> PartsOfBicycle(const ServiceData& data, int bicycleNumber);
// Prior and carried usage plus the rides of every stretch. When since is
// given: the rides of every stretch from since on, and those on bicycles
// deleted since (kept by date) from since on.
Usage PartUsage(const ServiceData& data, const Part& part, std::optional<int64_t> since = std::nullopt);
// The first fitting day; 0 for a part never fitted.
int32_t FirstFitted(const ServiceData& data, int partNumber);
// Whole local days from day to today.
int DaysBetween(int64_t day, int64_t today);

int32_t LastDone(const ServiceData& data, const ServiceTask& task);
TaskStatus WorkOutTask(const ServiceData& data, const ServiceTask& task, int64_t today);

struct ServiceCounts {
    int due = 0;  // due or overdue
    int soon = 0;
};
// Over the tasks of one bicycle; bicycleNumber 0 counts every bicycle's.
ServiceCounts CountTasks(const ServiceData& data, int bicycleNumber, int64_t today);

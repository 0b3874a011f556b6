#include "bicycles/ServiceStatus.h"

#include <algorithm>
#include <cmath>

void RideUsage::Add(const RideDay& day) {
    if (!m_last || day.BicycleNumber != m_lastBicycle) {
        m_lastBicycle = day.BicycleNumber;
        m_last = &m_bicycles[m_lastBicycle];
    }
    m_last->rides.push_back(day);
}

void RideUsage::Finish() {
    for (auto& [bicycle, sums] : m_bicycles) {
        std::vector<RideDay>& rides = sums.rides;
        const auto byDate = [](const RideDay& a, const RideDay& b) { return a.Date < b.Date; };
        if (!std::is_sorted(rides.begin(), rides.end(), byDate)) {
            std::stable_sort(rides.begin(), rides.end(), byDate);
        }
        sums.dates.resize(rides.size());
        sums.distance.assign(rides.size() + 1, 0.0);
        sums.seconds.assign(rides.size() + 1, 0);
        for (size_t i = 0; i < rides.size(); ++i) {
            sums.dates[i] = rides[i].Date;
            sums.distance[i + 1] = sums.distance[i] + rides[i].Distance;
            sums.seconds[i + 1] = sums.seconds[i] + rides[i].Seconds;
        }
        std::vector<RideDay>().swap(rides);
    }
    m_last = nullptr;
}

Usage RideUsage::Between(int bicycleNumber, int64_t from, std::optional<int64_t> to) const {
    const auto found = m_bicycles.find(bicycleNumber);
    if (found == m_bicycles.end() || (to && *to <= from)) {
        return {};
    }
    const Sums& sums = found->second;
    const auto begin = std::lower_bound(sums.dates.begin(), sums.dates.end(), from);
    const auto end = to ? std::lower_bound(begin, sums.dates.end(), *to) : sums.dates.end();
    const auto first = static_cast<size_t>(begin - sums.dates.begin());
    const auto last = static_cast<size_t>(end - sums.dates.begin());
    return {sums.distance[last] - sums.distance[first], sums.seconds[last] - sums.seconds[first]};
}

int LoadServiceData(ServiceData* data) {
    int result = DB_GetParts(&data->parts);
    if (result == store::kOk) {
        result = DB_GetPartStretches(&data->stretches);
    }
    if (result == store::kOk) {
        result = DB_GetServiceTasks(&data->tasks);
    }
    if (result == store::kOk) {
        result = DB_GetServiceLinks(&data->links);
    }
    if (result == store::kOk) {
        result = DB_GetFrozenRides(&data->frozen);
    }
    data->rides = RideUsage();
    if (result == store::kOk) {
        result = DB_ReadRideDays([&data](const RideDay& day) { data->rides.Add(day); });
        data->rides.Finish();
    }
    if (result != store::kOk) {
        return result;
    }
    data->newestDone.clear();
    for (const ServiceLink& link : data->links) {
        if (link.TaskNumber > 0) {
            int32_t& newest = data->newestDone.try_emplace(link.TaskNumber, link.Date).first->second;
            newest = std::max(newest, link.Date);
        }
    }
    return store::kOk;
}

namespace {

template <typename Row>
struct Ordered {
    bool operator()(const Row& row, int number) const { return row.PartNumber < number; }
    bool operator()(int number, const Row& row) const { return number < row.PartNumber; }
};
using ByPart = Ordered<PartStretch>;

// The stretches of a part: a range of the list, which is ordered by part.
std::pair<std::vector<PartStretch>::const_iterator, std::vector<PartStretch>::const_iterator> StretchRange(
    const ServiceData& data, int partNumber) {
    return std::equal_range(data.stretches.begin(), data.stretches.end(), partNumber, ByPart{});
}

const Part* FindPart(const ServiceData& data, int partNumber) {
    const auto found =
        std::lower_bound(data.parts.begin(), data.parts.end(), partNumber,
                         [](const Part& part, int number) { return part.PartNumber < number; });
    return found != data.parts.end() && found->PartNumber == partNumber ? &*found : nullptr;
}

}  // namespace

std::vector<PartStretch> StretchesOf(const ServiceData& data, int partNumber) {
    const auto [begin, end] = StretchRange(data, partNumber);
    return {begin, end};
}

int FittedBicycle(const ServiceData& data, int partNumber) {
    const auto [begin, end] = StretchRange(data, partNumber);
    for (auto it = begin; it != end; ++it) {
        if (!it->Removed) {
            return it->BicycleNumber;
        }
    }
    return 0;
}

std::vector<const Part*> PartsOfBicycle(const ServiceData& data, int bicycleNumber) {
    std::vector<const Part*> parts;
    for (const Part& part : data.parts) {
        const auto [begin, end] = StretchRange(data, part.PartNumber);
        if (begin == end) {
            continue;
        }
        const auto last = std::prev(end);
        const int fitted = FittedBicycle(data, part.PartNumber);
        if (fitted == bicycleNumber || (fitted == 0 && last->BicycleNumber == bicycleNumber)) {
            parts.push_back(&part);
        }
    }
    return parts;
}

Usage PartUsage(const ServiceData& data, const Part& part, std::optional<int64_t> since) {
    Usage usage;
    if (!since) {
        usage.distance = part.PriorDistance + part.CarriedDistance;
        usage.seconds = part.PriorSeconds + part.CarriedSeconds;
    }
    const auto [begin, end] = StretchRange(data, part.PartNumber);
    for (auto it = begin; it != end; ++it) {
        const int64_t from = since ? std::max<int64_t>(it->Fitted, *since) : it->Fitted;
        const std::optional<int64_t> to = it->Removed ? std::optional<int64_t>(*it->Removed) : std::nullopt;
        const Usage stretch = data.rides.Between(it->BicycleNumber, from, to);
        usage.distance += stretch.distance;
        usage.seconds += stretch.seconds;
    }
    if (since) {
        // The carried sum can not be split by date; these rows can.
        const auto [first, last] =
            std::equal_range(data.frozen.begin(), data.frozen.end(), part.PartNumber, Ordered<FrozenRide>{});
        for (auto it = std::lower_bound(first, last, *since,
                                        [](const FrozenRide&ride, int64_t day) { return ride.Date < day; });
             it != last; ++it) {
            usage.distance += it->Distance;
            usage.seconds += it->Seconds;
        }
    }
    return usage;
}

int32_t FirstFitted(const ServiceData& data, int partNumber) {
    const auto [begin, end] = StretchRange(data, partNumber);
    return begin == end ? 0 : begin->Fitted;
}

int DaysBetween(int64_t day, int64_t today) {
    // Local days are 23 to 25 hours long around a clock change.
    return static_cast<int>(std::floor((static_cast<double>(today - day) + 43200.0) / 86400.0));
}

int32_t LastDone(const ServiceData& data, const ServiceTask& task) {
    const auto found = data.newestDone.find(task.TaskNumber);
    return found != data.newestDone.end() && found->second > task.LastDone ? found->second : task.LastDone;
}

TaskStatus WorkOutTask(const ServiceData& data, const ServiceTask& task, int64_t today) {
    TaskStatus status;
    status.lastDone = LastDone(data, task);
    const Part* part = task.PartNumber > 0 ? FindPart(data, task.PartNumber) : nullptr;
    Usage used;
    int64_t countedFrom = status.lastDone;
    if (task.Kind == TaskKind::At && part) {
        // A part's life: its whole usage, days since it was first fitted.
        used = PartUsage(data, *part);
        countedFrom = FirstFitted(data, part->PartNumber);
    } else if (part) {
        used = PartUsage(data, *part, status.lastDone);
    } else {
        const Usage rides = data.rides.Between(task.BicycleNumber, status.lastDone, std::nullopt);
        used = rides;
    }
    const struct {
        Measure measure;
        double interval;
        double used;
    } measures[] = {
        {Measure::Distance, task.IntervalDistance, used.distance},
        {Measure::Hours, task.IntervalHours, static_cast<double>(used.seconds) / 3600.0},
        {Measure::Days, static_cast<double>(task.IntervalDays),
         static_cast<double>(DaysBetween(countedFrom, today))},
    };
    for (const auto& m : measures) {
        if (!(m.interval > 0.0)) {
            continue;
        }
        const double share = m.used / m.interval;
        if (!status.hasInterval || share > status.share) {
            status.hasInterval = true;
            status.share = share;
            status.measure = m.measure;
            status.left = m.interval - m.used;
        }
    }
    if (!status.hasInterval) {
        return status;
    }
    const double soon = std::clamp(task.DueSoonShare, 0.05, 1.0);
    // Past the interval by as much again as the due-soon stretch before it.
    const double overdue = 1.0 + std::max(1.0 - soon, 0.1);
    status.state = status.share >= overdue ? TaskState::Overdue
                   : status.share >= 1.0   ? TaskState::Due
                   : status.share >= soon  ? TaskState::DueSoon
                                           : TaskState::Ok;
    return status;
}

ServiceCounts CountTasks(const ServiceData& data, int bicycleNumber, int64_t today) {
    ServiceCounts counts;
    for (const ServiceTask& task : data.tasks) {
        if (bicycleNumber != 0 && task.BicycleNumber != bicycleNumber) {
            continue;
        }
        const TaskState state = WorkOutTask(data, task, today).state;
        counts.due += state == TaskState::Due || state == TaskState::Overdue;
        counts.soon += state == TaskState::DueSoon;
    }
    return counts;
}

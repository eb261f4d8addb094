// A small timing harness for the Windows build of the benchmarks, where Google Benchmark is not
// available: the part of its interface that engine_bench.cpp uses (State, Counter, BENCHMARK,
// RegisterBenchmark, DoNotOptimize, the command-line flags for repetitions, minimum time,
// filter and JSON output), so the one benchmark source builds against either.
//
// How it measures: each repetition runs the benchmark in batches of about 2 ms of wall-clock
// time (QueryPerformanceCounter) until the minimum time is reached, and takes the median of the
// batches' times per iteration. A batch in which the thread lost the processor to another
// program is an outlier that the median leaves out; thread CPU times under wine move in 10 ms
// steps, too coarse to time short batches with. The JSON output has Google Benchmark's layout
// (aggregates mean, median, stddev and cv; "cpu_time" and "real_time" both hold that median).
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace benchmark {

class Counter {
public:
    enum Flags {
        kDefaults = 0,
        kIsRate = 1 << 0,
        kIsIterationInvariant = 1 << 2,
        kIsIterationInvariantRate = kIsRate | kIsIterationInvariant,
        kAvgIterations = 1 << 3,
        kInvert = 1 << 30
    };
    Counter(double value = 0.0, int flags = kDefaults) : value(value), flags(flags) { }
    // The reported value for a run of `iterations` taking `seconds`.
    double Finish(double iterations, double seconds) const
    {
        double v = value;
        if (flags & kIsIterationInvariant) v *= iterations;
        if (flags & kAvgIterations) v /= iterations;
        if (flags & kIsRate) v /= seconds;
        if (flags & kInvert) v = 1.0 / v;
        return v;
    }
    double value;
    int flags;
};

template <class T>
inline void DoNotOptimize(T& value)
{
    asm volatile("" : "+m"(value) : : "memory");
}

template <class T>
inline void DoNotOptimize(const T& value)
{
    asm volatile("" : : "m"(value) : "memory");
}

inline void ClobberMemory() { asm volatile("" : : : "memory"); }

class State {
public:
    State(std::uint64_t iterations, const std::vector<std::int64_t>& args)
        : iterations_(iterations), args_(args)
    { }

    std::int64_t range(std::size_t i = 0) const { return args_.at(i); }
    void SetLabel(const std::string& label) { label_ = label; }
    std::uint64_t iterations() const { return iterations_; }

    // What the loop variable holds: nothing, with a destructor so that an unused one draws no
    // warning.
    struct Value {
        ~Value() { }
    };
    struct Iterator {
        State* state;
        std::uint64_t remaining;
        bool operator!=(const Iterator&)
        {
            if (remaining != 0) return true;
            state->Stop();
            return false;
        }
        void operator++() { --remaining; }
        Value operator*() const { return Value(); }
    };
    Iterator begin()
    {
        start_ = Clock::now();
        return Iterator {this, iterations_};
    }
    Iterator end() { return Iterator {this, 0}; }

    std::map<std::string, Counter> counters;

    double Seconds() const { return std::chrono::duration<double>(stop_ - start_).count(); }
    const std::string& Label() const { return label_; }

private:
    typedef std::chrono::steady_clock Clock;
    void Stop() { stop_ = Clock::now(); }

    std::uint64_t iterations_;
    std::vector<std::int64_t> args_;
    std::string label_;
    Clock::time_point start_, stop_;
};

namespace internal {

class Benchmark {
public:
    Benchmark(std::string name, std::function<void(State&)> fn)
        : name_(std::move(name)), fn_(std::move(fn))
    { }
    Benchmark* Arg(std::int64_t a)
    {
        args_.push_back({a});
        return this;
    }
    Benchmark* Args(const std::vector<std::int64_t>& a)
    {
        args_.push_back(a);
        return this;
    }
    Benchmark* ArgName(const std::string& n)
    {
        names_ = {n};
        return this;
    }
    Benchmark* ArgNames(const std::vector<std::string>& n)
    {
        names_ = n;
        return this;
    }
    Benchmark* Apply(void (*f)(Benchmark*))
    {
        f(this);
        return this;
    }

    // The instances to run: a name and the arguments, as Google Benchmark names them.
    std::vector<std::pair<std::string, std::vector<std::int64_t>>> Instances() const
    {
        std::vector<std::pair<std::string, std::vector<std::int64_t>>> out;
        if (args_.empty()) out.push_back({name_, {}});
        for (const std::vector<std::int64_t>& a : args_) {
            std::string n = name_;
            for (std::size_t i = 0; i < a.size(); ++i) {
                n += "/";
                if (i < names_.size() && !names_[i].empty()) n += names_[i] + ":";
                n += std::to_string(a[i]);
            }
            out.push_back({n, a});
        }
        return out;
    }
    const std::function<void(State&)>& Function() const { return fn_; }

private:
    std::string name_;
    std::function<void(State&)> fn_;
    std::vector<std::vector<std::int64_t>> args_;
    std::vector<std::string> names_;
};

inline std::vector<std::unique_ptr<Benchmark>>& Registry()
{
    static std::vector<std::unique_ptr<Benchmark>> all;
    return all;
}

inline Benchmark* Register(Benchmark* b)
{
    Registry().emplace_back(b);
    return b;
}

struct Options {
    int repetitions = 1;
    double minTime = 0.1;
    std::string filter = ".";
    std::string out;
};

inline Options& TheOptions()
{
    static Options options;
    return options;
}

// One repetition's figures.
struct Run {
    double secondsPerIteration = 0.0;
    double iterations = 0.0;
    std::map<std::string, double> counters;
    std::string label;
};

inline Run Measure(const Benchmark& b, const std::vector<std::int64_t>& args, double minTime)
{
    const double batchSeconds = 0.002;
    std::uint64_t n = 1;
    for (;;) { // grow the batch until it takes about 2 ms
        State s(n, args);
        b.Function()(s);
        if (s.Seconds() >= batchSeconds || n >= (std::uint64_t(1) << 40)) break;
        const double grow = s.Seconds() > 0.0 ? batchSeconds / s.Seconds() * 1.2 : 10.0;
        n = std::max<std::uint64_t>(n + 1, (std::uint64_t)((double)n * std::min(grow, 10.0)));
    }
    std::vector<double> perIteration;
    std::map<std::string, Counter> counters; // as the last batch set them
    std::map<std::string, double> sums; // kAvgIterations counters summed over the batches
    double total = 0.0, iterations = 0.0;
    std::string label;
    do {
        State s(n, args);
        b.Function()(s);
        perIteration.push_back(s.Seconds() / (double)n);
        total += s.Seconds();
        iterations += (double)n;
        for (const auto& c : s.counters) {
            counters[c.first] = c.second;
            sums[c.first] += c.second.value;
        }
        label = s.Label();
    } while (total < minTime);
    std::sort(perIteration.begin(), perIteration.end());
    Run run;
    run.secondsPerIteration = perIteration[perIteration.size() / 2];
    run.iterations = iterations;
    run.label = label;
    // Averages per iteration take every batch; rates take the median time per iteration.
    for (const auto& c : counters)
        run.counters[c.first] = (c.second.flags & Counter::kAvgIterations)
            ? sums[c.first] / iterations
            : c.second.Finish(1.0, run.secondsPerIteration);
    return run;
}

inline std::string JsonString(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace internal

template <class F>
internal::Benchmark* RegisterBenchmark(const char* name, F&& fn)
{
    return internal::Register(new internal::Benchmark(name, std::function<void(State&)>(fn)));
}

inline void Initialize(int* argc, char** argv)
{
    internal::Options& o = internal::TheOptions();
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* flag) -> const char* {
            const std::size_t n = std::strlen(flag);
            return a.compare(0, n, flag) == 0 ? argv[i] + n : nullptr;
        };
        if (const char* v = value("--benchmark_repetitions="))
            o.repetitions = std::max(1, std::atoi(v));
        else if (const char* v = value("--benchmark_min_time="))
            o.minTime = std::atof(v);
        else if (const char* v = value("--benchmark_filter="))
            o.filter = v;
        else if (const char* v = value("--benchmark_out="))
            o.out = v;
        else if (value("--benchmark_out_format=") || value("--benchmark_report_aggregates_only=") ||
                 value("--benchmark_format="))
            ; // JSON output and aggregates only are what this harness writes anyway
        else
            argv[kept++] = argv[i];
    }
    *argc = kept;
}

inline bool ReportUnrecognizedArguments(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        std::fprintf(stderr, "%s: unrecognized argument '%s'\n", argv[0], argv[i]);
    return argc > 1;
}

inline void RunSpecifiedBenchmarks()
{
    const internal::Options& o = internal::TheOptions();
    const std::regex filter(o.filter);
    std::string json;
    std::printf("%-64s %14s %12s\n", "Benchmark (median of batches)", "ns/iteration", "cv");
    for (const auto& b : internal::Registry()) {
        for (const auto& instance : b->Instances()) {
            if (!std::regex_search(instance.first, filter)) continue;
            std::vector<internal::Run> runs;
            for (int r = 0; r < o.repetitions; ++r)
                runs.push_back(internal::Measure(*b, instance.second, o.minTime));
            std::vector<double> ns;
            for (const internal::Run& r : runs)
                ns.push_back(r.secondsPerIteration * 1e9);
            std::vector<double> sorted = ns;
            std::sort(sorted.begin(), sorted.end());
            const std::size_t m = sorted.size();
            const double median = m % 2 ? sorted[m / 2] : 0.5 * (sorted[m / 2 - 1] + sorted[m / 2]);
            double mean = 0.0;
            for (double v : ns)
                mean += v / (double)m;
            double var = 0.0;
            for (double v : ns)
                var += (v - mean) * (v - mean) / (m > 1 ? (double)(m - 1) : 1.0);
            const double stddev = std::sqrt(var);
            std::printf("%-64s %14.2f %11.1f%% %s\n", instance.first.c_str(), median,
                        100.0 * stddev / mean, runs.back().label.c_str());
            std::fflush(stdout);
            // Counters of the repetition closest to the median.
            std::size_t closest = 0;
            for (std::size_t i = 1; i < m; ++i)
                if (std::fabs(ns[i] - median) < std::fabs(ns[closest] - median)) closest = i;
            const std::pair<const char*, double> aggregates[] = {
                {"mean", mean}, {"median", median}, {"stddev", stddev}, {"cv", stddev / mean}};
            for (const auto& agg : aggregates) {
                char time[64];
                std::snprintf(time, sizeof time, "%.6g", agg.second);
                std::string entry =
                    "    {\"name\": " + internal::JsonString(instance.first + "_" + agg.first) +
                    ", \"run_name\": " + internal::JsonString(instance.first) +
                    ", \"run_type\": \"aggregate\", \"aggregate_name\": \"" + agg.first +
                    "\", \"iterations\": " + std::to_string((long long)runs[closest].iterations) +
                    ", \"real_time\": " + time + ", \"cpu_time\": " + time +
                    ", \"time_unit\": \"ns\", \"label\": " +
                    internal::JsonString(runs[closest].label);
                if (agg.first == std::string("median"))
                    for (const auto& c : runs[closest].counters) {
                        char v[64];
                        std::snprintf(v, sizeof v, "%.9g", c.second);
                        entry += ", " + internal::JsonString(c.first) + ": " + v;
                    }
                json += (json.empty() ? "" : ",\n") + entry + "}";
            }
        }
    }
    if (!o.out.empty()) {
        std::FILE* f = std::fopen(o.out.c_str(), "w");
        if (!f) {
            std::fprintf(stderr, "cannot write %s\n", o.out.c_str());
            return;
        }
        char date[64];
        const std::time_t now = std::time(nullptr);
        std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", std::gmtime(&now));
        std::fprintf(f,
                     "{\n  \"context\": {\"date\": \"%s\", \"num_cpus\": %u, \"harness\": "
                     "\"median of 2 ms batches, wall clock\"},\n  \"benchmarks\": [\n%s\n  ]\n}\n",
                     date, std::thread::hardware_concurrency(), json.c_str());
        std::fclose(f);
    }
}

inline void Shutdown() { }

} // namespace benchmark

#define BENCHMARK_CONCAT_(a, b) a##b
#define BENCHMARK_CONCAT(a, b) BENCHMARK_CONCAT_(a, b)
#define BENCHMARK(fn) \
    static ::benchmark::internal::Benchmark* BENCHMARK_CONCAT(benchmark_, __LINE__) = \
        ::benchmark::internal::Register(new ::benchmark::internal::Benchmark(#fn, fn))

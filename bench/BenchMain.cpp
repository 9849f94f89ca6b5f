// The benchmark program's own main: after the usual report it prints every case per
// stereo frame and as a multiple of the plain gain loop measured in the same run.

#include "SignalPathBench.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace
{
    class PerFrameReporter : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns (const std::vector<Run>& runs) override
        {
            ConsoleReporter::ReportRuns (runs);

            for (const auto& run : runs)
            {
                if (run.error_occurred || run.iterations <= 0)
                    continue;

                const std::pair<std::string, int> key { run.run_name.function_name, std::stoi (run.run_name.args) };
                const auto perFrame = run.cpu_accumulated_time * 1.0e9 / ((double) run.iterations * key.second);

                // Single runs are collected; with repetitions the library's own median is
                // used when it reports only its aggregates.
                if (run.run_type == Run::RT_Iteration)
                    nsPerFrame[key].push_back (perFrame);
                else if (run.aggregate_name == "median")
                    reportedMedians[key] = perFrame;
            }
        }

        void Finalize() override
        {
            ConsoleReporter::Finalize();

            std::printf ("\n%-44s %6s %10s %12s\n", "signal path per stereo frame (CPU time)", "block", "ns/frame", "x baseline");

            for (const auto& [name, label] : benchcases::caseNames())
            {
                for (const int blockSize : benchcases::blockSizes())
                {
                    const auto value = median ({ name, blockSize });
                    const auto baseline = median ({ benchcases::baselineName(), blockSize });

                    if (value > 0.0)
                        std::printf ("%-44s %6d %10.3f %12.2f\n", label.c_str(), blockSize, value, baseline > 0.0 ? value / baseline : 0.0);
                }
            }
        }

    private:
        double median (const std::pair<std::string, int>& key)
        {
            if (auto reported = reportedMedians.find (key); reported != reportedMedians.end())
                return reported->second;

            auto found = nsPerFrame.find (key);

            if (found == nsPerFrame.end() || found->second.empty())
                return 0.0;

            auto values = found->second;
            std::sort (values.begin(), values.end());
            return values[values.size() / 2];
        }

        std::map<std::pair<std::string, int>, std::vector<double>> nsPerFrame;
        std::map<std::pair<std::string, int>, double> reportedMedians;
    };
}

int main (int argc, char** argv)
{
    benchmark::Initialize (&argc, argv);

    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    PerFrameReporter reporter;
    benchmark::RunSpecifiedBenchmarks (&reporter);
    benchmark::Shutdown();
    return 0;
}

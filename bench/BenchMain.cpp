// The benchmark program's own main: like the tests, it runs with HOME and the XDG
// folders pointed at a fresh temporary folder, so the editor's processors never touch
// the real user's settings or presets. After the usual report it prints every signal-path
// case per stereo frame and as a multiple of the plain gain loop measured in the same
// run, and every editor paint with its ratio to drawing the texture stroke by stroke.

#include "EditorPaintBench.h"
#include "SignalPathBench.h"
#include "helpers/TestEnvironment.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

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
                // The summary lists only the cases measured per block size or height.
                if (run.error_occurred || run.iterations <= 0 || run.run_name.args.empty())
                    continue;

                const std::pair<std::string, int> key { run.run_name.function_name, std::stoi (run.run_name.args) };
                const auto perIteration = run.cpu_accumulated_time * 1.0e9 / (double) run.iterations;

                // Single runs are collected; with repetitions the library's own median is
                // used when it reports only its aggregates.
                if (run.run_type == Run::RT_Iteration)
                    nsPerIteration[key].push_back (perIteration);
                else if (run.aggregate_name == "median")
                    reportedMedians[key] = perIteration;
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
                    const auto value = median ({ name, blockSize }) / blockSize;
                    const auto baseline = median ({ benchcases::baselineName(), blockSize }) / blockSize;

                    if (value > 0.0)
                        std::printf ("%-44s %6d %10.3f %12.2f\n", label.c_str(), blockSize, value, baseline > 0.0 ? value / baseline : 0.0);
                }
            }

            std::printf ("\n%-44s %6s %10s %12s %14s\n", "editor paint (CPU time)", "height", "ms",
                         "stroke ms", "x stroke way");

            for (const auto& paintCase : paintcases::cases())
            {
                for (const int height : paintcases::heights())
                {
                    const auto value = median ({ paintCase.name, height }) * 1.0e-6;
                    const auto strokeByStroke = median ({ paintCase.strokeByStrokeName, height }) * 1.0e-6;

                    if (value > 0.0)
                        std::printf ("%-44s %6d %10.3f %12.3f %14.3f\n", paintCase.label.c_str(), height, value,
                                     strokeByStroke, strokeByStroke > 0.0 ? value / strokeByStroke : 0.0);
                }
            }
        }

    private:
        double median (const std::pair<std::string, int>& key)
        {
            if (auto reported = reportedMedians.find (key); reported != reportedMedians.end())
                return reported->second;

            auto found = nsPerIteration.find (key);

            if (found == nsPerIteration.end() || found->second.empty())
                return 0.0;

            auto values = found->second;
            std::sort (values.begin(), values.end());
            return values[values.size() / 2];
        }

        std::map<std::pair<std::string, int>, std::vector<double>> nsPerIteration;
        std::map<std::pair<std::string, int>, double> reportedMedians;
    };
}

int main (int argc, char** argv)
{
    const auto home = orvelin::test::redirectHomeToFreshTemporaryFolder ("orvelin-bench-home");

    benchmark::Initialize (&argc, argv);

    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    {
        juce::ScopedJuceInitialiser_GUI juce;
        PerFrameReporter reporter;
        benchmark::RunSpecifiedBenchmarks (&reporter);
        benchmark::Shutdown();
        juce::DeletedAtShutdown::deleteAll();
    }

    juce::File (home).deleteRecursively();
    return 0;
}

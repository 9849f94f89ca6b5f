# Google Benchmark programs (Debian's libbenchmark-dev): bench/*.cpp -> orvelin_bench,
# built by `./build.sh bench` in a Release configuration and run from there.

find_package(benchmark REQUIRED)

file(GLOB ORVELIN_BENCH_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/bench/*.cpp")

add_executable(orvelin_bench ${ORVELIN_BENCH_SOURCES})
set_source_files_properties(${ORVELIN_BENCH_SOURCES} PROPERTIES COMPILE_OPTIONS "${ORVELIN_WARNING_FLAGS}")

# Borrow the plug-in's include folders and definitions rather than linking JUCE's module
# targets again, which would compile them a second time with other settings.
target_include_directories(orvelin_bench PRIVATE
    "${CMAKE_SOURCE_DIR}/bench"
    "${CMAKE_SOURCE_DIR}/tests"
    $<TARGET_PROPERTY:Orvelin,INCLUDE_DIRECTORIES>)
target_compile_definitions(orvelin_bench PRIVATE $<TARGET_PROPERTY:Orvelin,COMPILE_DEFINITIONS>)
target_link_libraries(orvelin_bench PRIVATE Orvelin benchmark::benchmark)

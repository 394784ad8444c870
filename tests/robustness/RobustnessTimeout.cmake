# Read by ctest with the tests of this folder: the suite's time limit grows with its depth,
# KEST_ROBUSTNESS_SCALE (scripts/robustness.sh sets 10).
if(DEFINED ENV{KEST_ROBUSTNESS_SCALE} AND "$ENV{KEST_ROBUSTNESS_SCALE}" MATCHES "^[0-9]+$" AND "$ENV{KEST_ROBUSTNESS_SCALE}" GREATER 1)
    math(EXPR kest_robustness_timeout "600 * $ENV{KEST_ROBUSTNESS_SCALE}")
    set_tests_properties(robustness_tests PROPERTIES TIMEOUT ${kest_robustness_timeout})
endif()

# The patterns on a desktop scaled to 2x (the offscreen platform with QT_SCALE_FACTOR=2).
add_test(NAME ui_patterns_scaled
    COMMAND ui_patterns_tests --gtest_filter=PatternsScaledInASession.*)
set_tests_properties(ui_patterns_scaled PROPERTIES TIMEOUT 120
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2")

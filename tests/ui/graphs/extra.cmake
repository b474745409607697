# The graphs on a desktop scaled to 2x (the offscreen platform with QT_SCALE_FACTOR=2).
add_test(NAME ui_graphs_scaled
    COMMAND ui_graphs_tests --gtest_filter=GraphsScaledInASession.*)
set_tests_properties(ui_graphs_scaled PROPERTIES TIMEOUT 120
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2")

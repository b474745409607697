# The cancel tests run the wizard from the Picture Mode page's Edit button.
target_link_libraries(ui_wizard_tests PRIVATE orvale_ui_main_window)

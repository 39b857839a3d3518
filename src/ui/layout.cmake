# The window's layout table: a small library without Qt, shared by the window,
# the skin art generator and the tests. Included from src/ui/CMakeLists.txt and
# from tools/skin_art.cmake; whichever comes first defines it.
if(NOT TARGET varcel_layout)
    add_library(varcel_layout STATIC ${CMAKE_CURRENT_LIST_DIR}/layout.cpp ${CMAKE_CURRENT_LIST_DIR}/focus_order.cpp)
    # Its own include root, holding only ui/: the art generator sees the
    # layout table and nothing of the program's other folders.
    set(root ${CMAKE_BINARY_DIR}/layers/varcel_layout)
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/ui ${root}/ui SYMBOLIC)
    target_include_directories(varcel_layout PUBLIC ${root})
    # The pages are the controller's; the counts the table repeats (report-rate
    # positions, DPI stages, loop colours, ...) are checked against the core's
    # when it compiles.
    target_link_libraries(varcel_layout PUBLIC varcel_control)
    target_compile_options(varcel_layout PRIVATE ${VARCEL_WARNINGS})
endif()

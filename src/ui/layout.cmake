# The window's layout table: a small library without Qt, shared by the window,
# the skin art generator and the tests. Included from src/ui/CMakeLists.txt and
# from tools/skin_art.cmake; whichever comes first defines it.
if(NOT TARGET varcel_layout)
    add_library(varcel_layout STATIC ${CMAKE_CURRENT_LIST_DIR}/layout.cpp)
    target_include_directories(varcel_layout PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_options(varcel_layout PRIVATE ${VARCEL_WARNINGS})
endif()

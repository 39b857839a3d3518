# Skin art: every image of both skins, painted at build time from the window's
# layout table. Included at the end of tools/CMakeLists.txt.
find_package(Qt6 REQUIRED COMPONENTS Gui)
include(${PROJECT_SOURCE_DIR}/src/ui/layout.cmake)

add_executable(make_skin_art ${CMAKE_CURRENT_LIST_DIR}/make_skin_art.cpp)
target_compile_options(make_skin_art PRIVATE ${VARCEL_WARNINGS})
target_link_libraries(make_skin_art PRIVATE varcel_layout Qt6::Gui)
set_target_properties(make_skin_art PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

# Skins/ beside the executables, as an unpacked program has it.
set(VARCEL_SKINS_DIR ${CMAKE_BINARY_DIR}/bin/Skins CACHE INTERNAL "Skin folders of the build tree")
set(_skin_art_stamp ${CMAKE_BINARY_DIR}/tools/skin_art.stamp)
add_custom_command(
    OUTPUT ${_skin_art_stamp}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:make_skin_art> ${VARCEL_SKINS_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${_skin_art_stamp}
    DEPENDS make_skin_art
    COMMENT "Painting the skins")
add_custom_target(skin_art ALL DEPENDS ${_skin_art_stamp})

install(DIRECTORY ${VARCEL_SKINS_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/varcel/Skins
        FILES_MATCHING PATTERN "*.png" PATTERN "*.ini")

# The Windows release as one archive, made by CPack:
#   cmake --build --preset win32 --target package
# leaves Morvane-<version>-win32.zip in build/win32, holding Pellorin.exe and
# 使用说明.txt, the user guide (docs/使用说明.md) as text for Notepad. The
# files sit at the top of the archive: Explorer's "全部解压缩" already puts
# them in a folder named after it. CPack can pack the Chinese file name only
# in a UTF-8 locale: the win32 build preset sets LC_ALL=C.UTF-8 (a build
# started without the preset in a C locale fails with "Can't lstat").

set(MORVANE_GUIDE ${CMAKE_SOURCE_DIR}/docs/使用说明.md)
set(MORVANE_GUIDE_TEXT ${CMAKE_BINARY_DIR}/guide/使用说明.txt)
add_custom_command(OUTPUT ${MORVANE_GUIDE_TEXT}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${MORVANE_GUIDE} -DOUTPUT=${MORVANE_GUIDE_TEXT}
        -P ${CMAKE_SOURCE_DIR}/cmake/guide-as-text.cmake
    DEPENDS ${MORVANE_GUIDE} ${CMAKE_SOURCE_DIR}/cmake/guide-as-text.cmake
    COMMENT "Writing the user guide as text (UTF-8 with a byte-order mark, CR LF)")
add_custom_target(user_guide_text ALL DEPENDS ${MORVANE_GUIDE_TEXT})

install(TARGETS Pellorin RUNTIME DESTINATION .)
install(FILES ${MORVANE_GUIDE_TEXT} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Morvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Morvane-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)

include(CPack)

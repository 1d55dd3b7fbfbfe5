# The Linux program as a Debian package, made by CPack:
#   cmake --build --preset linux-release --target package
# leaves pellorin_<version>_amd64.deb in build/linux-release. What goes into
# it is what `cmake --install` installs (platform/qt, interpreter) plus the
# AppStream metadata, the copyright file and the user guide. The guide's
# Chinese file name needs a UTF-8 locale while CPack packs it: the
# linux-release build preset sets LC_ALL=C.UTF-8.

include(GNUInstallDirs)

# The AppStream component id: a reverse domain name, as AppStream asks. It
# names the component, not a web site (the project has none yet, so the
# package has no Homepage field); it must never change once released.
set(MORVANE_APP_ID "org.morvane.pellorin")

# Where the README's images are published on the web (the folder holding
# docs/images), e.g. the repository's address for raw files. AppStream takes
# screenshots only as web addresses: without one the metadata has none.
set(MORVANE_SCREENSHOT_BASE_URL "" CACHE STRING
    "Web address under which docs/images/ is published, for the AppStream screenshots")

set(MORVANE_PACKAGE_MAINTAINER "Morvane maintainers" CACHE STRING
    "The Maintainer field of the Debian package (\"Name <address>\")")

# Writes the AppStream metadata to `output`, with screenshots under
# `screenshotBase` when that is not empty.
function(morvane_write_metainfo output screenshotBase)
    set(MORVANE_SCREENSHOTS "")
    if(NOT screenshotBase STREQUAL "")
        string(REGEX REPLACE "/+$" "" base "${screenshotBase}")
        set(MORVANE_SCREENSHOTS
"  <screenshots>
    <screenshot type=\"default\">
      <caption>The main window</caption>
      <caption xml:lang=\"zh-CN\">主窗口</caption>
      <image>${base}/docs/images/linux-main-window.png</image>
    </screenshot>
    <screenshot>
      <caption>The worked example</caption>
      <caption xml:lang=\"zh-CN\">示例窗口</caption>
      <image>${base}/docs/images/linux-example-window.png</image>
    </screenshot>
  </screenshots>")
    endif()
    configure_file(${CMAKE_SOURCE_DIR}/resources/linux/pellorin.metainfo.xml.in ${output} @ONLY)
endfunction()

set(MORVANE_METAINFO ${CMAKE_BINARY_DIR}/metainfo/${MORVANE_APP_ID}.metainfo.xml)
morvane_write_metainfo(${MORVANE_METAINFO} "${MORVANE_SCREENSHOT_BASE_URL}")
install(FILES ${MORVANE_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pellorin RENAME copyright)
# The user guide, with the screenshot it shows beside it as it is in docs/.
install(FILES ${CMAKE_SOURCE_DIR}/docs/使用说明.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pellorin)
install(FILES ${CMAKE_SOURCE_DIR}/docs/images/windows-main-window.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pellorin/images)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellorin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # pellorin_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MORVANE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries the two programs link, found by dpkg-shlibdeps; then what
# they use without linking it: the Song and Kai faces the windows are drawn
# in, and Qt's Chinese texts for its dialogs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-arphic-uming, fonts-arphic-ukai, qt6-translations-l10n")
# The first line is the synopsis; CPack indents the rest and turns empty
# lines into " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"extract one field of every line of a TXT or CSV file
Morvane pulls one field (column) out of every line of a delimited text
file into a new text file: choose the source and the output file, type the
one-character delimiter and the number of the field, press Start. The
window is in Simplified Chinese.

It runs the one-line batch script it writes with its own stand-in for the
Windows command interpreter, installed privately (never on PATH), which
streams files of any size and keeps every byte of every value.

把TXT或CSV文件每一行的某一段（列）提取到新的文本文件中：选择源文件和输出
文件，输入分割符号和提取段号，按“开始提取”。界面为简体中文。")

include(CPack)

# Writes generated/morvane_version.h from the project's version for the
# programs and the Windows resource script.

# The version as the Windows version block's strings show it: the major
# number and the minor number in two digits ("1.00").
if(PROJECT_VERSION_MINOR GREATER 99)
    message(FATAL_ERROR "the minor version must stay below 100 for the \"1.00\" form")
endif()
string(LENGTH "${PROJECT_VERSION_MINOR}" minor_digits)
if(minor_digits EQUAL 1)
    set(MORVANE_VERSION_SHORT "${PROJECT_VERSION_MAJOR}.0${PROJECT_VERSION_MINOR}")
else()
    set(MORVANE_VERSION_SHORT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
endif()

# The fourth number of the Windows version block.
if("${PROJECT_VERSION_TWEAK}" STREQUAL "")
    set(MORVANE_VERSION_BUILD 0)
else()
    set(MORVANE_VERSION_BUILD ${PROJECT_VERSION_TWEAK})
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/morvane_version.h.in
    ${CMAKE_BINARY_DIR}/generated/morvane_version.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)

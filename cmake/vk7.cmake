# Helpers that keep every folder's build description to one line.

# moc's Ninja rule reruns for the headers it saw at its last run, not for a header that the
# globs of a re-configure found since: when the files of a target changed, its moc timestamp
# is dropped so that moc runs again (the build folder is never cleaned for this).
function(vk7_moc_follows_files target)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_files.txt)
  string(JOIN "\n" now ${ARGN})
  set(before "")
  if(EXISTS ${list_file})
    file(READ ${list_file} before)
  endif()
  if(NOT now STREQUAL before)
    file(WRITE ${list_file} "${now}")
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
  endif()
endfunction()

# vk7_library(<target> [DEPS <libs...>] [QT])
# A static library of the *.cpp files of the current folder (not recursive). QT turns on
# moc and links Qt Widgets. A folder with no sources yet gives an interface library.
function(vk7_library target)
  cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(sources)
    add_library(${target} STATIC ${sources} ${headers})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
    if(ARG_QT)
      set_target_properties(${target} PROPERTIES AUTOMOC ON)
      vk7_moc_follows_files(${target} ${sources} ${headers})
      target_link_libraries(${target} PUBLIC Qt6::Widgets Qt6::PrintSupport)
    endif()
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
    if(ARG_QT)
      target_link_libraries(${target} INTERFACE Qt6::Widgets Qt6::PrintSupport)
    endif()
  endif()
endfunction()

# vk7_test(<target> DIR <folder under tests/> DEPS <libs...> [GUI])
# One test program of the *.cpp files of tests/<folder>, registered test by test in CTest.
# GUI programs get a main that creates the QApplication; they run on the offscreen platform.
# Both mains take the process locale from the environment, as the programs do.
function(vk7_test target)
  cmake_parse_arguments(ARG "GUI" "DIR" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${target} ${sources})
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  vk7_moc_follows_files(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} vk7_test_support GTest::gtest GTest::gmock)
  # Tests that check installation data (install/) find the source tree through this.
  target_compile_definitions(${target} PRIVATE VK7_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(ARG_GUI)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/main/gui_test_main.cpp)
    target_link_libraries(${target} PRIVATE Qt6::Widgets Qt6::Test)
  else()
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/main/engine_test_main.cpp)
  endif()
  # One value per property: gtest_discover_tests passes the properties on as one list, so a
  # list value (two variables for ENVIRONMENT) would be split up and the properties after it
  # lost. The sanitizer's options are the test mains' own defaults.
  # TIMEOUT only ends a test that hangs: under the sanitizers on a loaded machine the kill
  # test and the tests that run the office program take over three minutes.
  gtest_discover_tests(${target}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               TIMEOUT 900)
endfunction()

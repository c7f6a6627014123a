# Helpers shared by the subsystem folders.

# zemble_add_library(<folder> [QT <Qt components>] [DEPS <zemble libraries>]
#                    [LOGIC <files> LOGIC_QT <Qt components> LOGIC_DEPS <zemble libraries>])
# Builds the static library zemble_<folder> from every source, header and
# Designer form in src/<folder>; resources (*.qrc) are compiled in too.
# With LOGIC, the files named there (relative to the folder) are built apart
# as zemble_<folder>_logic, which links only LOGIC_QT and LOGIC_DEPS and never
# QtWidgets, so a program without windows can use them; zemble_<folder> then
# holds the rest of the folder (the windows) and links zemble_<folder>_logic.
# DEPS and LOGIC_DEPS name libraries without the "zemble_" prefix
# ("addressbook", "session_logic").
function(zemble_add_library folder)
    cmake_parse_arguments(ARG "" "" "QT;DEPS;LOGIC;LOGIC_QT;LOGIC_DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/*.h
        ${CMAKE_CURRENT_SOURCE_DIR}/*.ui
        ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    set(deps ${ARG_DEPS})
    if(ARG_LOGIC)
        set(logic)
        foreach(file IN LISTS ARG_LOGIC)
            list(APPEND logic ${CMAKE_CURRENT_SOURCE_DIR}/${file})
        endforeach()
        list(REMOVE_ITEM sources ${logic})
        # The logic stands on core and other logic only: no Gui, no Widgets.
        foreach(dep IN LISTS ARG_LOGIC_DEPS)
            if(NOT dep STREQUAL "core" AND NOT dep MATCHES "_logic$")
                message(FATAL_ERROR "zemble_${folder}_logic may not link zemble_${dep}")
            endif()
        endforeach()
        if("Gui" IN_LIST ARG_LOGIC_QT OR "Widgets" IN_LIST ARG_LOGIC_QT)
            message(FATAL_ERROR "zemble_${folder}_logic may not link Qt Gui or Widgets")
        endif()
        zemble_static_library(zemble_${folder}_logic "${logic}" "${ARG_LOGIC_QT}" "${ARG_LOGIC_DEPS}")
        list(APPEND deps ${folder}_logic)
    endif()
    zemble_static_library(zemble_${folder} "${sources}" "${ARG_QT}" "${deps}")
endfunction()

# One static library (or an interface library when nothing is compiled) with
# the given files, Qt components and zemble libraries.
function(zemble_static_library target sources components deps)
    set(compiled ${sources})
    list(FILTER compiled INCLUDE REGEX "\\.cpp$")
    if(compiled)
        set(scope PUBLIC)
        add_library(${target} STATIC ${sources})
        set_target_properties(${target} PROPERTIES AUTOUIC_SEARCH_PATHS ${CMAKE_CURRENT_SOURCE_DIR})
        target_compile_options(${target} PRIVATE -Wall -Wextra)
    else()
        # Nothing to compile yet: the folder only declares interfaces.
        set(scope INTERFACE)
        add_library(${target} INTERFACE)
    endif()
    target_include_directories(${target} ${scope} ${PROJECT_SOURCE_DIR}/src)
    foreach(component IN LISTS components)
        target_link_libraries(${target} ${scope} Qt6::${component})
    endforeach()
    foreach(dep IN LISTS deps)
        target_link_libraries(${target} ${scope} zemble_${dep})
    endforeach()
endfunction()

# How long each test program may run, in seconds, before CTest stops it as
# hung: about five times its run on a busy two-core machine shared with other
# builds, and never less than ZEMBLE_TEST_TIMEOUT_DEFAULT, which every program
# not listed here gets (they all finish within a few seconds).  A hang thus
# fails within a minute or so instead of holding up the suite.  The sanitized
# build runs about three times slower and gets three times as long.  These
# override `ctest --timeout`.
set(ZEMBLE_TEST_TIMEOUT_DEFAULT 30)
set(ZEMBLE_TEST_TIMEOUTS
    # program                     seconds   usual run
    platform.tst_keyring          60      # 1 s, starts a bus and a keyring daemon
    session.tst_operator_site     75      # 12 s
    session.tst_transport         45      # 6 s
    compose.tst_main_window       45      # 6 s
    compose.tst_unfinished_send   45      # 6 s
    shell.tst_preferences         45      # 8 s
    shell.tst_single_instance     60      # 8 s, waits up to 20 s for a copy that hangs
    session.tst_kannel_gateway    45      # 7 s, starts Kannel twice
    cli.tst_main                  240     # 46 s
)

# zemble_add_tests(<folder> LIBS <targets>)
# Every tests/<folder>/tst_*.cpp becomes one QTest executable and one CTest
# test, run headless.  Further *.cpp/*.h files in the folder that do not start
# with tst_ are shared by that folder's tests.
function(zemble_add_tests folder)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    file(GLOB shared CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    list(FILTER shared EXCLUDE REGEX "/tst_[^/]*\\.cpp$")
    foreach(test_source IN LISTS tests)
        get_filename_component(name ${test_source} NAME_WE)
        set(target ${folder}_${name})
        add_executable(${target} ${test_source} ${shared})
        target_link_libraries(${target} PRIVATE ${ARG_LIBS} zemble_testsupport Qt6::Test)
        target_compile_definitions(${target} PRIVATE
            ZEMBLE_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
        if(TARGET zemble-opsim)
            add_dependencies(${target} zemble-opsim)
        endif()
        add_test(NAME ${folder}.${name} COMMAND ${target})
        # No session bus: a test never reaches the desktop's own keyring
        # (the keyring tests start a bus and a keyring of their own).
        set(environment "QT_QPA_PLATFORM=offscreen;QT_QPA_PLATFORMTHEME=;LC_ALL=C.UTF-8;DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/zemble-tests-bus")
        if(ZEMBLE_SANITIZE)
            # Read by the test and by every program it starts.
            list(APPEND environment "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/leak_suppressions.txt:print_suppressions=0")
        endif()
        list(FIND ZEMBLE_TEST_TIMEOUTS ${folder}.${name} at)
        if(at EQUAL -1)
            set(timeout ${ZEMBLE_TEST_TIMEOUT_DEFAULT})
        else()
            math(EXPR at "${at} + 1")
            list(GET ZEMBLE_TEST_TIMEOUTS ${at} timeout)
        endif()
        if(ZEMBLE_SANITIZE)
            math(EXPR timeout "${timeout} * 3")
        endif()
        set_tests_properties(${folder}.${name} PROPERTIES
            ENVIRONMENT "${environment}"
            TIMEOUT ${timeout})
    endforeach()
endfunction()

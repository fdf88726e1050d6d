# What the architecture check and the Qt code generators need to know about every target: its
# folder, its sources and what it links. Called once every part has been configured.

# Every target defined in dir and below it.
function(orvconf_collect_targets dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir IN LISTS subdirs)
        orvconf_collect_targets(${subdir} more)
        list(APPEND targets ${more})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# The libraries a target links directly, without generator expressions around them.
function(orvconf_direct_links target out)
    get_target_property(type ${target} TYPE)
    set(links "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(direct ${target} LINK_LIBRARIES)
        if(direct)
            list(APPEND links ${direct})
        endif()
    endif()
    get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
    if(interface)
        list(APPEND links ${interface})
    endif()
    list(TRANSFORM links REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1")
    list(FILTER links EXCLUDE REGEX "^\\$<")
    list(REMOVE_DUPLICATES links)
    set(${out} ${links} PARENT_SCOPE)
endfunction()

# True when target or anything it links, however indirectly, links the Qt library qt.
function(orvconf_links_qt target qt out)
    set(seen "")
    set(queue ${target})
    while(queue)
        list(POP_FRONT queue current)
        if(current IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${current})
        # Any Qt module brings QtCore.
        if(current STREQUAL qt OR (qt STREQUAL "Qt6::Core" AND current MATCHES "^Qt6::"))
            set(${out} TRUE PARENT_SCOPE)
            return()
        endif()
        if(TARGET ${current} AND NOT current MATCHES "^Qt6::")
            orvconf_direct_links(${current} links)
            list(APPEND queue ${links})
        endif()
    endwhile()
    set(${out} FALSE PARENT_SCOPE)
endfunction()

function(orvconf_architecture)
    orvconf_collect_targets(${PROJECT_SOURCE_DIR} targets)
    set(manifest "# Written by cmake/Architecture.cmake at configure time.\n")
    string(APPEND manifest "set(ARCH_TARGETS ${targets})\n")
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        get_target_property(dir ${target} SOURCE_DIR)
        if(type STREQUAL "UTILITY")
            continue()
        endif()
        # Qt's code generators only where Qt is used: moc for QtCore, uic for widgets.
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            orvconf_links_qt(${target} Qt6::Core uses_core)
            orvconf_links_qt(${target} Qt6::Widgets uses_widgets)
            set_target_properties(${target} PROPERTIES AUTOMOC ${uses_core} AUTORCC ${uses_core}
                                                       AUTOUIC ${uses_widgets})
        endif()
        set(sources "")
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(listed ${target} SOURCES)
            foreach(source IN LISTS listed)
                if(NOT source MATCHES "^\\$<")
                    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${dir} NORMALIZE
                               OUTPUT_VARIABLE source)
                    list(APPEND sources ${source})
                endif()
            endforeach()
        endif()
        orvconf_direct_links(${target} links)
        string(APPEND manifest "set(ARCH_DIR_${target} \"${dir}\")\n"
                               "set(ARCH_SOURCES_${target} \"${sources}\")\n"
                               "set(ARCH_LINKS_${target} \"${links}\")\n")
    endforeach()
    file(WRITE ${PROJECT_BINARY_DIR}/architecture-manifest.cmake "${manifest}")

    set(check -DROOT=${PROJECT_SOURCE_DIR}
              -DMANIFEST=${PROJECT_BINARY_DIR}/architecture-manifest.cmake
              -P ${PROJECT_SOURCE_DIR}/cmake/CheckArchitecture.cmake)
    add_test(NAME architecture COMMAND ${CMAKE_COMMAND} ${check})
    # The check itself: an include from connect/ up into the window must fail it.
    add_test(NAME architecture.planted
             COMMAND ${CMAKE_COMMAND} "-DPLANT=connect/RadioSession.cpp=app/MainDlg.h" ${check})
    set_tests_properties(architecture.planted PROPERTIES
        PASS_REGULAR_EXPRESSION "connect/RadioSession.cpp: connect -> app \\(app/MainDlg.h\\)")
    # A folder with a logic and a dialog target: the documents may use the logic only.
    add_test(NAME architecture.planted_dialog
             COMMAND ${CMAKE_COMMAND} "-DPLANT=document/Compare.cpp=orvpage/OrvChannelList.h"
                     ${check})
    set_tests_properties(architecture.planted_dialog PROPERTIES
        PASS_REGULAR_EXPRESSION "document/Compare.cpp: document -> orvpage.dialog")
endfunction()

# The uninstaller links the setup's removal (setupcore) and its messages (setupres).
include_guard(GLOBAL)
if(TARGET removetw)
    target_sources(removetw PRIVATE
        ${CMAKE_SOURCE_DIR}/payload/removetw/uninstargs.cpp
        ${CMAKE_SOURCE_DIR}/payload/removetw/removetw.rc
        $<TARGET_OBJECTS:setupres>)
    target_include_directories(removetw PRIVATE ${CMAKE_SOURCE_DIR}/payload/removetw)
    target_link_libraries(removetw PRIVATE setupcore)
    set_source_files_properties(${CMAKE_SOURCE_DIR}/payload/removetw/removetw.rc PROPERTIES
        OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/payload/removetw/removetw.manifest)
endif()

# The uninstaller links its own sources with the setup's archive of link-time-optimised code
# (setuplean), as one optimised whole; its resources take the setup's icon and string table.
include_guard(GLOBAL)
if(TARGET removetw)
    target_sources(removetw PRIVATE
        ${CMAKE_SOURCE_DIR}/payload/removetw/uninstargs.cpp
        ${CMAKE_SOURCE_DIR}/payload/removetw/removetw.rc)
    set_source_files_properties(${CMAKE_SOURCE_DIR}/payload/removetw/removetw.rc PROPERTIES
        OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/src/resources/strings.rc;${CMAKE_SOURCE_DIR}/src/resources/resource.h;${CMAKE_SOURCE_DIR}/src/resources/art/app_main.ico;${CMAKE_BINARY_DIR}/manifest/removetw.manifest;${VERSION_RC_DEPENDS}")
    target_include_directories(removetw PRIVATE ${CMAKE_SOURCE_DIR}/payload/removetw)
    target_compile_options(removetw PRIVATE ${LTO_OPTIONS})
    target_link_options(removetw PRIVATE ${LTO_OPTIONS} -Os)
    target_link_libraries(removetw PRIVATE setuplean user32 gdi32 advapi32 uuid)
endif()

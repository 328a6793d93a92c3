# The changelog and the manual pages, compressed as Debian wants them (gzip -9n: no name, no time stamp). The
# pages of tavrel-convert and tavrel-watch are made by help2man from their own --help, so the two cannot differ.
find_program(TAVREL_DPKG_PARSECHANGELOG dpkg-parsechangelog REQUIRED)
find_program(TAVREL_GZIP gzip REQUIRED)
set(changelog ${TAVREL_PACKAGING_DIR}/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
execute_process(COMMAND ${TAVREL_DPKG_PARSECHANGELOG} -l ${changelog} -S Version OUTPUT_VARIABLE changelog_version
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
if(NOT changelog_version STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "${changelog} is at ${changelog_version}; the project is at ${PROJECT_VERSION}")
endif()
# The pages carry the release's date, not the build's.
execute_process(COMMAND ${TAVREL_DPKG_PARSECHANGELOG} -l ${changelog} -S Timestamp
                OUTPUT_VARIABLE TAVREL_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${TAVREL_RELEASE_EPOCH})
string(TIMESTAMP TAVREL_MAN_DATE "%B %Y" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")

set(debian_dir ${CMAKE_CURRENT_BINARY_DIR}/debian)
file(MAKE_DIRECTORY ${debian_dir}/man)
# A version without a Debian revision is a native package's, whose changelog is changelog.gz.
add_custom_command(OUTPUT ${debian_dir}/changelog.gz
                   COMMAND ${CMAKE_COMMAND} -E copy ${changelog} ${debian_dir}/changelog
                   COMMAND ${TAVREL_GZIP} -9nf ${debian_dir}/changelog
                   DEPENDS ${changelog} VERBATIM)
set(debian_outputs ${debian_dir}/changelog.gz)
install(FILES ${debian_dir}/changelog.gz DESTINATION ${TAVREL_DOC_DIR})

if(NOT TAVREL_SANITIZE AND NOT TAVREL_FUZZ)
    # Instrumented builds are never packaged, and their leak reports would fail help2man.
    find_program(TAVREL_HELP2MAN help2man REQUIRED)
    set(at_release ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${TAVREL_RELEASE_EPOCH})
    set(pages)
    foreach(exe tavrel-convert tavrel-watch)
        if(TARGET ${exe})
            set(include ${TAVREL_PACKAGING_DIR}/man/${exe}.h2m)
            set(page ${debian_dir}/man/${exe}.1)
            set(help2man ${TAVREL_HELP2MAN} --no-info --include=${include} --output=${page}
                         "--source=DWX Tavrel Translator ${PROJECT_VERSION}")
            add_custom_command(
                OUTPUT ${page}.gz
                COMMAND ${at_release} ${help2man} $<TARGET_FILE:${exe}>
                # help2man takes the --help's "Exit status:" for a subsection of OPTIONS.
                COMMAND sed -i "s/^\\.SS \"Exit status:\"$/.SH \"EXIT STATUS\"/" ${page}
                COMMAND ${TAVREL_GZIP} -9nf ${page}
                DEPENDS ${exe} ${include} ${changelog} VERBATIM)
            list(APPEND pages ${page}.gz)
        endif()
    endforeach()
    if(TARGET tavrel-translator)
        set(source ${debian_dir}/${TAVREL_PACKAGE_NAME}.1)
        configure_file(${TAVREL_PACKAGING_DIR}/man/${TAVREL_PACKAGE_NAME}.1.in ${source} @ONLY)
        set(page ${debian_dir}/man/${TAVREL_PACKAGE_NAME}.1)
        add_custom_command(OUTPUT ${page}.gz COMMAND ${CMAKE_COMMAND} -E copy ${source} ${page}
                           COMMAND ${TAVREL_GZIP} -9nf ${page} DEPENDS ${source} VERBATIM)
        list(APPEND pages ${page}.gz)
    endif()
    install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    list(APPEND debian_outputs ${pages})
endif()
add_custom_target(debian_docs ALL DEPENDS ${debian_outputs})

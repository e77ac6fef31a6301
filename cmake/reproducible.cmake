# What makes the Windows programs and their release the same bytes from the
# same commit, in any build folder and at any time: source paths mapped away,
# and one time, the commit's (tools/source-date-epoch), in place of the clock.

# __FILE__ and any debug information name paths relative to the checkout.
# The build folder comes second: the later mapping wins for paths under both.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)

# Written at every build, but only changed when the time is: what depends on
# it is made again after a new commit and not otherwise.
set(VESSMARK_SOURCE_DATE_EPOCH_FILE ${CMAKE_BINARY_DIR}/source-date-epoch)
add_custom_target(vessmark_source_date_epoch
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOUT=${VESSMARK_SOURCE_DATE_EPOCH_FILE}
        -P ${CMAKE_CURRENT_LIST_DIR}/write_source_date_epoch.cmake
    BYPRODUCTS ${VESSMARK_SOURCE_DATE_EPOCH_FILE}
    COMMENT "The release's time"
    VERBATIM)

# ld writes SOURCE_DATE_EPOCH, when it is set, into the PE header's time
# stamp instead of the time of the link.
function(vessmark_link_at_source_date_epoch)
    foreach(target IN LISTS ARGN)
        set_target_properties(${target} PROPERTIES
            CXX_LINKER_LAUNCHER "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/link-at-source-date-epoch;${VESSMARK_SOURCE_DATE_EPOCH_FILE}")
        set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VESSMARK_SOURCE_DATE_EPOCH_FILE})
        add_dependencies(${target} vessmark_source_date_epoch)
    endforeach()
endfunction()

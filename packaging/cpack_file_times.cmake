# Run by cpack between installing into its staging folder and packing it: every file and folder
# there takes the time SOURCE_DATE_EPOCH, whatever time its source had in this checkout. (rpmbuild
# only clamps times later than it.)
file(GLOB_RECURSE entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
execute_process(COMMAND touch --no-dereference --date=@$ENV{SOURCE_DATE_EPOCH} ${entries}
                COMMAND_ERROR_IS_FATAL ANY)

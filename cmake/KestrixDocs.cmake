# Run as a script at build time: writes the man page (gzipped) and the bash completion of the tool KESTRIX.
# Variables: KESTRIX (the built tool), MAN (the .1.gz to write), COMPLETION (the script to write).
get_filename_component(_man_dir ${MAN} DIRECTORY)
get_filename_component(_completion_dir ${COMPLETION} DIRECTORY)
file(MAKE_DIRECTORY ${_man_dir} ${_completion_dir})
execute_process(COMMAND ${KESTRIX} --man-page OUTPUT_FILE ${_man_dir}/kestrix.1 COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND gzip -9nf ${_man_dir}/kestrix.1 COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${KESTRIX} --bash-completion OUTPUT_FILE ${COMPLETION} COMMAND_ERROR_IS_FATAL ANY)

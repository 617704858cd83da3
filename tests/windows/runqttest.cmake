# Runs one Qt test program under wine, on a private X server (xvfb-run) so that it has the
# Windows platform plugin's real windows, and prints its report. Under wine a Qt test writes
# nothing to a pipe (its logger falls back to the debugger channel without a console), so the
# report goes to a file, read back here; the exit status is the number of failed checks.
#   cmake -DPROGRAM=<test.exe> -DREPORT=<report file> -P runqttest.cmake
find_program(WINE wine REQUIRED)
find_program(XVFB_RUN xvfb-run REQUIRED)
file(REMOVE ${REPORT})
string(REPLACE "/" "\\" report "Z:${REPORT}")
execute_process(
  COMMAND ${XVFB_RUN} --auto-servernum "--server-args=-screen 0 1280x1024x24 -dpi 96 -nolisten tcp"
          ${WINE} ${PROGRAM} -o "${report},txt"
  RESULT_VARIABLE result)
if(EXISTS ${REPORT})
  file(READ ${REPORT} text)
  message("${text}")
else()
  message("${PROGRAM} wrote no report")
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ended with ${result}")
endif()

# Renders one Markdown page of the user guide to HTML: cmark for the body, the guide's own
# header and navigation around it. Run as cmake -DCMARK=... -DIN=page.md -DOUT=page.html -P.
execute_process(COMMAND ${CMARK} --to html ${IN} OUTPUT_VARIABLE body RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmark could not render ${IN}")
endif()
file(STRINGS ${IN} first LIMIT_COUNT 1)
string(REGEX REPLACE "^# *" "" title "${first}")
file(WRITE ${OUT} "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>${title} - Quillon</title>
<link rel=\"stylesheet\" href=\"style.css\">
</head>
<body>
<nav><a href=\"index.html\">Quillon user guide</a></nav>
<main>
${body}</main>
</body>
</html>
")

# Copies IN to OUT with a few bytes appended: the same kind of file with other contents.
file(COPY_FILE ${IN} ${OUT})
file(APPEND ${OUT} "\r\nAltered build of ${NAME}.\r\n")

# Writes OUTPUT: the shared helper script of the blog types, then one blog type's
# own script. Run with -DHELPER=... -DSCRIPT=... -DOUTPUT=...
file(READ ${HELPER} helper)
file(READ ${SCRIPT} script)
file(WRITE ${OUTPUT} "${helper}\n${script}")

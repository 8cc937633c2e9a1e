# Makes the link tree of the junction test where the system cannot make
# junctions itself (Wine): POSIX links, which Wine shows as directory
# reparse points. Run with -DTREE=<folder>.
file(REMOVE_RECURSE ${TREE})
file(MAKE_DIRECTORY ${TREE}/a/b ${TREE}/elsewhere)
file(WRITE ${TREE}/a/b/x.txt "ostile")
file(WRITE ${TREE}/elsewhere/e.txt "ostile")
file(CREATE_LINK .. ${TREE}/a/b/up SYMBOLIC)
file(CREATE_LINK ../elsewhere ${TREE}/a/sib1 SYMBOLIC)
file(CREATE_LINK ../elsewhere ${TREE}/a/sib2 SYMBOLIC)

# Sourced by the packaging scripts: exports SOURCE_DATE_EPOCH, the time every
# file in a package carries, unless it is set already. It is the last
# commit's time, so that two builds of one commit give the same bytes
# wherever and whenever they run; outside a git checkout, the time of the
# changelog's top entry.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  if ! SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null); then
    SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l packaging/changelog -S Timestamp)
  fi
fi
export SOURCE_DATE_EPOCH

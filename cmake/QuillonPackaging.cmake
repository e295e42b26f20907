# Install rules and the Debian package: filled in as they are built.

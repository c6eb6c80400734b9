// PMarc decoders: -pm1- and -pm2- members of archives from the CP/M and MSX archiver PMarc.

// Replaced by the first analysis source.

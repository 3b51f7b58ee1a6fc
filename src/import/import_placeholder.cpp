// Replaced by the first reader source.

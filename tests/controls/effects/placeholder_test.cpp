// (placeholder until the first test of this folder lands)

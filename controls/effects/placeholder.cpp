// (placeholder until the first unit of this folder lands)

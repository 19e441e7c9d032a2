shieldFrom = "root"

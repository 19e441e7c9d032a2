utilFrom = "root"

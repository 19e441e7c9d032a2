utilFrom = "items"

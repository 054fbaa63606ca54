 12.5	3 , rest

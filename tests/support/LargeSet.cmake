# Writes the large set into FOLDER: a flight-plan file of a comment line and 500,002 plans, one more
# than the plan table holds, with an Aircraft.txt and an Airports.txt beside it.
string(REPEAT "AC#1,N1,10%,Day,IFR,X,KSFO\r\n" 500002 plans)
file(WRITE "${FOLDER}/FlightPlans.txt" "// fleet\r\n${plans}")
file(WRITE "${FOLDER}/Aircraft.txt" "AC#1,450,\"Jet\"\r\n")
file(WRITE "${FOLDER}/Airports.txt" "KSFO,37.6,-122.4\r\n")
